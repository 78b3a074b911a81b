// libFuzzer target for the XML reader: parses arbitrary bytes, walks the tree checking its links,
// looks children and attributes up the way the language code does, and frees it all.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "lang/xml_reader.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void Visit(const XmlElement* element) {
    std::size_t pairs = 0;
    for (; element->attributes[2 * pairs][0] != 0; ++pairs)
        Check(XmlAttr(element, element->attributes[2 * pairs]) != nullptr);
    Check(std::strlen(element->attributes[2 * pairs + 1]) == pairs);
    const std::size_t textLength = std::strlen(element->text);
    for (const XmlElement* child = element->firstChild; child; child = child->nextInOrder) {
        Check(child->parent == element && child->textOffset <= textLength);
        const XmlElement* first = XmlChild(element, child->name);
        Check(first != nullptr && std::strcmp(first->name, child->name) == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<char> bytes(data, data + size); // the reader writes into its buffer
    XmlDocument* doc = ParseXmlBuffer(bytes.data(), bytes.size());
    if (doc == nullptr)
        return 0;
    Check(std::strlen(doc->errorText) < sizeof doc->errorText);
    // Every element once, without recursion.
    for (const XmlElement* element = &doc->root; element != nullptr;) {
        if (element->name != nullptr)
            Visit(element);
        if (element->firstChild != nullptr) {
            element = element->firstChild;
            continue;
        }
        while (element != nullptr && element->nextInOrder == nullptr)
            element = element->parent;
        element = element != nullptr ? element->nextInOrder : nullptr;
    }
    // The lookups of the language code.
    for (XmlElement* language = XmlChild(&doc->root, "Language"); language;
         language = language->nextSameName) {
        XmlAttr(language, "id");
        XmlAttr(language, "name");
        for (XmlElement* section = XmlChild(language, "Section"); section;
             section = section->nextSameName) {
            XmlAttr(section, "text");
            for (XmlElement* c = XmlChild(section, "Control"); c; c = c->nextSameName)
                XmlAttr(c, "class");
        }
    }
    FreeXml(doc);
    return 0;
}
