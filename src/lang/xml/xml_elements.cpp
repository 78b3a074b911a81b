// Building the XML reader's tree: element texts, and opening and closing elements with the
// linking of a new child into its parent's chains (by order, by name) without walking them.
#include "lang/xml/xml_internal.h"

#include <new>

namespace xml {

bool AddXmlText(XmlParser& parser, char* bytes, std::size_t length, char mode) {
    XmlDocument* doc = parser.doc;
    XmlElement* element = doc->openElement;
    if (element == nullptr || element->name == nullptr || length == 0) {
        return true;
    }
    bytes[length] = 0;
    char* decoded = DecodeXmlText(parser, bytes, doc->entities, mode);
    if (decoded == nullptr) {
        return false;
    }
    OpenFrame& frame = parser.frames[parser.depth - 1];
    const std::size_t added = std::strlen(decoded);
    const bool owned = (element->flags & kXmlOwnsValue) != 0;
    if (element->text[0] == 0) {
        if (owned) {
            std::free(element->text);
        }
        element->text = decoded;
        element->flags = static_cast<std::uint16_t>(
            decoded != bytes ? element->flags | kXmlOwnsValue : element->flags & ~kXmlOwnsValue);
        frame.textLength = added;
        return true;
    }
    const std::size_t old = frame.textLength;
    char* joined = static_cast<char*>(owned ? Reallocate(parser, element->text, old + added + 1)
                                            : Allocate(parser, old + added + 1));
    if (joined != nullptr) {
        if (!owned) {
            std::memcpy(joined, element->text, old);
        }
        std::memcpy(joined + old, decoded, added + 1);
        element->text = joined;
        element->flags |= kXmlOwnsValue;
        frame.textLength = old + added;
    }
    if (decoded != bytes) {
        std::free(decoded);
    }
    return joined != nullptr;
}

namespace {

// Offsets never decrease while parsing, so a new child always goes last in every chain. False
// when memory ran out; nothing is linked then.
bool InsertChild(XmlParser& parser, OpenFrame& frame, XmlElement* child) {
    XmlElement* parent = frame.element;
    if (frame.lastChild == nullptr) {
        parent->firstChild = child;
        frame.lastFirstOfName = child;
        frame.lastChild = child;
        return true;
    }
    NameChain* chain = nullptr;
    try {
        if (frame.names == nullptr) {
            void* place = Allocate(parser, sizeof(NameIndex));
            if (place == nullptr) {
                return false;
            }
            frame.names = new (place) NameIndex(ReaderAllocator<char>(&parser.outOfMemory));
            for (XmlElement* first = parent->firstChild; first != nullptr;
                 first = first->nextOtherName) {
                XmlElement* last = first;
                while (last->nextSameName != nullptr) {
                    last = last->nextSameName;
                }
                frame.names->emplace(first->name, NameChain{first, last});
            }
        }
        const auto [entry, added] = frame.names->try_emplace(child->name, NameChain{child, child});
        chain = added ? nullptr : &entry->second;
    } catch (const std::bad_alloc&) {
        parser.outOfMemory = true; // the allocator failed through Reallocate, or the hash did
        return false;
    }
    frame.lastChild->nextInOrder = child;
    if (chain != nullptr) {
        chain->last->nextSameName = child;
        chain->last = child;
    } else {
        frame.lastFirstOfName->nextOtherName = child;
        frame.lastFirstOfName = child;
    }
    frame.lastChild = child;
    return true;
}

} // namespace

void CloseFrame(OpenFrame& frame) {
    if (frame.names != nullptr) {
        frame.names->~NameIndex();
        std::free(frame.names);
        frame.names = nullptr;
    }
}

// Takes ownership of `attributes`.
bool OpenElement(XmlParser& parser, char* name, char** attributes) {
    XmlDocument* doc = parser.doc;
    XmlElement* parent = doc->openElement;
    if (parent->name == nullptr) {
        parent->name = name;
        parent->attributes = attributes;
        return true;
    }
    if (parser.depth == parser.frameCapacity) {
        const std::size_t capacity = parser.frameCapacity * 2;
        auto* frames = static_cast<OpenFrame*>(
            Reallocate(parser, parser.frames, capacity * sizeof(OpenFrame)));
        if (frames == nullptr) {
            FreeAttributes(attributes);
            return false;
        }
        parser.frames = frames;
        parser.frameCapacity = capacity;
    }
    auto* element = static_cast<XmlElement*>(AllocateZeroed(parser, sizeof(XmlElement)));
    if (element == nullptr) {
        FreeAttributes(attributes);
        return false;
    }
    OpenFrame& frame = parser.frames[parser.depth - 1];
    element->name = name;
    element->attributes = attributes;
    element->text = gEmptyString;
    element->textOffset = frame.textLength;
    element->parent = parent;
    if (!InsertChild(parser, frame, element)) {
        std::free(element);
        FreeAttributes(attributes);
        return false;
    }
    parser.frames[parser.depth++] = {element, 0, nullptr, nullptr, nullptr};
    doc->openElement = element;
    return true;
}

void CloseElement(XmlParser& parser) {
    parser.doc->openElement = parser.doc->openElement->parent;
    CloseFrame(parser.frames[--parser.depth]);
}

} // namespace xml
