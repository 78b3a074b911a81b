// The XML reader's public entry points (see lang/xml_reader.h): parsing a buffer or a stream,
// looking up children and attributes, and freeing a document with all it owns.
#include "lang/xml/xml_internal.h"

using namespace xml;

static_assert(offsetof(XmlDocument, root) == 0, "a document must pass for its document element");

namespace {

void FreeElementParts(XmlElement* element) {
    FreeAttributes(element->attributes);
    if ((element->flags & kXmlOwnsValue) != 0) {
        std::free(element->text);
    }
    if ((element->flags & kXmlOwnsName) != 0) {
        std::free(element->name);
    }
}

} // namespace

XmlDocument* ParseXmlBuffer(char* buffer, std::size_t length) {
    XmlParser parser{};
    auto* doc = static_cast<XmlDocument*>(AllocateZeroed(parser, sizeof(XmlDocument)));
    if (doc == nullptr) {
        return nullptr;
    }
    doc->root.attributes = gNoAttributes;
    doc->root.text = gEmptyString;
    doc->openElement = &doc->root;
    doc->input = buffer;
    doc->inputLength = static_cast<std::ptrdiff_t>(length);
    doc->declarations = gNoEntries;
    doc->instructions = gNoEntries;
    doc->entities =
        static_cast<char**>(Allocate(parser, (2 * kPredefinedEntities + 1) * sizeof(char*)));
    auto* frames = static_cast<OpenFrame*>(Allocate(parser, 16 * sizeof(OpenFrame)));
    if (parser.outOfMemory) {
        std::free(frames);
        FreeXml(doc);
        return nullptr;
    }
    SetPredefinedEntities(doc);

    parser.doc = doc;
    parser.frames = frames;
    parser.frameCapacity = 16;
    parser.frames[0] = {&doc->root, 0, nullptr, nullptr, nullptr};
    parser.depth = 1;
    Parse(parser, buffer, length);
    for (std::size_t i = 0; i < parser.depth; ++i) {
        CloseFrame(parser.frames[i]); // elements left open by an error or a missing end tag
    }
    std::free(parser.frames);
    if (parser.outOfMemory) {
        FreeXml(doc);
        return nullptr;
    }
    return doc;
}

XmlDocument* ParseXmlStream(std::FILE* file) {
    bool outOfMemory = false;
    std::size_t capacity = 1024;
    std::size_t length = 0;
    auto* buffer = static_cast<char*>(Reallocate(outOfMemory, nullptr, capacity));
    if (buffer == nullptr) {
        return nullptr;
    }
    // A missing file reads as an empty one.
    while (file != nullptr) {
        length += std::fread(buffer + length, 1, capacity - length, file);
        if (length < capacity) {
            break;
        }
        // Doubling keeps reading a large file linear.
        auto* grown = static_cast<char*>(Reallocate(outOfMemory, buffer, capacity * 2));
        if (grown == nullptr) {
            std::free(buffer);
            return nullptr;
        }
        buffer = grown;
        capacity *= 2;
    }
    XmlDocument* doc = ParseXmlBuffer(buffer, length);
    if (doc == nullptr) {
        std::free(buffer);
        return nullptr;
    }
    doc->inputLength = -1;
    return doc;
}

XmlElement* XmlChild(const XmlElement* element, const char* name) {
    if (element == nullptr || name == nullptr) {
        return nullptr;
    }
    for (XmlElement* child = element->firstChild; child != nullptr; child = child->nextOtherName) {
        if (std::strcmp(child->name, name) == 0) {
            return child;
        }
    }
    return nullptr;
}

const char* XmlAttr(const XmlElement* element, const char* name) {
    if (element == nullptr || name == nullptr) {
        return nullptr;
    }
    char* const* list = element->attributes;
    for (std::size_t i = 0; list[2 * i][0] != 0; ++i) {
        if (std::strcmp(list[2 * i], name) == 0) {
            return list[2 * i + 1];
        }
    }
    if (element->name == nullptr) {
        return nullptr;
    }
    const XmlElement* top = element;
    while (top->parent != nullptr) {
        top = top->parent;
    }
    const auto* doc = reinterpret_cast<const XmlDocument*>(top);
    const std::size_t index = FindEntry(doc->declarations, element->name);
    bool found = false;
    return index != kNotFound ? FindDeclaredDefault(doc->declarations[index], name, found)
                              : nullptr;
}

void FreeXml(XmlDocument* doc) {
    if (doc == nullptr) {
        return;
    }
    // Depth-first without recursion, so any nesting depth is fine: a child list is detached
    // before it is entered, and the walk climbs back through `parent` after a last child.
    XmlElement* element = doc->root.firstChild;
    while (element != nullptr && element != &doc->root) {
        if (XmlElement* child = element->firstChild) {
            element->firstChild = nullptr;
            element = child;
            continue;
        }
        XmlElement* next = element->nextInOrder != nullptr ? element->nextInOrder : element->parent;
        FreeElementParts(element);
        std::free(element);
        element = next;
    }
    FreeElementParts(&doc->root);

    if (doc->entities != nullptr) {
        for (std::size_t i = kPredefinedEntities; i < doc->entityCount; ++i) {
            if (!InWorkArea(doc, doc->entities[2 * i + 1])) {
                std::free(doc->entities[2 * i + 1]);
            }
        }
        std::free(doc->entities);
    }
    if (doc->declarations != gNoEntries) {
        for (std::size_t i = 0; doc->declarations[i] != nullptr; ++i) {
            char** entry = doc->declarations[i];
            for (std::size_t j = 1; entry[j] != nullptr; j += 3) {
                if (entry[j + 1] != nullptr && !InWorkArea(doc, entry[j + 1])) {
                    std::free(entry[j + 1]);
                }
            }
            std::free(entry);
        }
        std::free(doc->declarations);
    }
    if (doc->instructions != gNoEntries) {
        for (std::size_t i = 0; doc->instructions[i] != nullptr; ++i) {
            char** entry = doc->instructions[i];
            std::size_t texts = 0;
            while (entry[1 + texts] != nullptr) {
                ++texts;
            }
            std::free(entry[texts + 2]);
            std::free(entry);
        }
        std::free(doc->instructions);
    }
    if (doc->inputLength == -1) {
        std::free(doc->input);
    }
    std::free(doc->utf8);
    std::free(doc);
}
