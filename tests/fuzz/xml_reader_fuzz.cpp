// libFuzzer target for the XML reader: parses arbitrary bytes, walks the tree checking its links,
// looks children and attributes up the way the language code does, and frees it all.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "lang/xml_reader.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void Visit(const XmlElement* element) {
    std::size_t pairs = 0;
    while (element->attributes[2 * pairs][0] != 0) {
        Check(XmlAttr(element, element->attributes[2 * pairs]) != nullptr);
        ++pairs;
    }
    Check(std::strlen(element->attributes[2 * pairs + 1]) == pairs);
    XmlAttr(element, "id");
    XmlAttr(element, "name");
    const std::size_t textLength = std::strlen(element->text);
    for (const XmlElement* child = element->firstChild; child != nullptr;
         child = child->nextInOrder) {
        Check(child->parent == element);
        Check(child->textOffset <= textLength);
        const XmlElement* first = XmlChild(element, child->name);
        Check(first != nullptr && std::strcmp(first->name, child->name) == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<char> bytes(data, data + size); // the reader writes into its buffer
    XmlDocument* doc = ParseXmlBuffer(bytes.data(), bytes.size());
    if (doc == nullptr) {
        return 0;
    }
    Check(std::strlen(doc->errorText) < sizeof doc->errorText);
    // Every element once, without recursion.
    const XmlElement* element = &doc->root;
    while (element != nullptr) {
        if (element->name != nullptr) {
            Visit(element);
        }
        if (element->firstChild != nullptr) {
            element = element->firstChild;
            continue;
        }
        while (element != nullptr && element->nextInOrder == nullptr) {
            element = element->parent;
        }
        if (element != nullptr) {
            element = element->nextInOrder;
        }
    }
    // The lookups of the language code.
    for (XmlElement* language = XmlChild(&doc->root, "Language"); language != nullptr;
         language = language->nextSameName) {
        XmlAttr(language, "id");
        for (XmlElement* section = XmlChild(language, "Section"); section != nullptr;
             section = section->nextSameName) {
            XmlAttr(section, "text");
            for (XmlElement* control = XmlChild(section, "Control"); control != nullptr;
                 control = control->nextSameName) {
                XmlAttr(control, "class");
            }
        }
    }
    FreeXml(doc);
    return 0;
}
