// The attribute lists of the XML reader's elements: collected pair by pair while a start tag is
// read, then packed into one block with its flags string, and freed with what they own.
#include "lang/xml/xml_internal.h"

namespace xml {

void FreeAttributeBuilder(AttributeBuilder& builder) {
    for (std::size_t i = 0; i < builder.count; ++i) {
        if ((builder.flags[i] & kXmlOwnsValue) != 0) {
            std::free(builder.pairs[2 * i + 1]);
        }
    }
    std::free(builder.pairs);
    std::free(builder.flags);
    builder = {};
}

// Takes ownership of an allocated `value` (flag kXmlOwnsValue) even when it fails.
bool AddAttribute(XmlParser& parser, AttributeBuilder& builder, char* name, char* value,
                  unsigned char flag) {
    if (name[0] == 0) {
        // An empty name would read as the end of the list: such a pair is dropped.
        if ((flag & kXmlOwnsValue) != 0) {
            std::free(value);
        }
        return true;
    }
    if (builder.count == builder.capacity) {
        const std::size_t capacity = builder.capacity == 0 ? 4 : builder.capacity * 2;
        auto* pairs =
            static_cast<char**>(Reallocate(parser, builder.pairs, 2 * capacity * sizeof(char*)));
        if (pairs != nullptr) {
            builder.pairs = pairs;
        }
        auto* flags = pairs != nullptr
                          ? static_cast<unsigned char*>(Reallocate(parser, builder.flags, capacity))
                          : nullptr;
        if (flags == nullptr) {
            if ((flag & kXmlOwnsValue) != 0) {
                std::free(value);
            }
            return false;
        }
        builder.flags = flags;
        builder.capacity = capacity;
    }
    builder.pairs[2 * builder.count] = name;
    builder.pairs[2 * builder.count + 1] = value;
    builder.flags[builder.count] = flag != 0 ? flag : ' ';
    ++builder.count;
    return true;
}

// One block: the pairs, the empty name, the flags string pointer, then the flags string.
// Empties the builder; nullptr when memory ran out (the values are then freed).
char** PackAttributes(XmlParser& parser, AttributeBuilder& builder) {
    const std::size_t n = builder.count;
    if (n == 0) {
        FreeAttributeBuilder(builder);
        return gNoAttributes;
    }
    auto* list = static_cast<char**>(Allocate(parser, (2 * n + 2) * sizeof(char*) + n + 1));
    if (list == nullptr) {
        FreeAttributeBuilder(builder);
        return nullptr;
    }
    std::memcpy(list, builder.pairs, 2 * n * sizeof(char*));
    char* flags = reinterpret_cast<char*>(list + 2 * n + 2);
    std::memcpy(flags, builder.flags, n);
    flags[n] = 0;
    list[2 * n] = gEmptyString;
    list[2 * n + 1] = flags;
    std::free(builder.pairs);
    std::free(builder.flags);
    builder = {};
    return list;
}

void FreeAttributes(char** list) {
    if (list == nullptr || list == gNoAttributes) {
        return;
    }
    std::size_t n = 0;
    while (list[2 * n][0] != 0) {
        ++n;
    }
    const char* flags = list[2 * n + 1];
    for (std::size_t i = 0; i < n; ++i) {
        if ((flags[i] & kXmlOwnsValue) != 0) {
            std::free(list[2 * i + 1]);
        }
        if ((static_cast<unsigned char>(flags[i]) & kXmlOwnsName) != 0) {
            std::free(list[2 * i]);
        }
    }
    std::free(list);
}

} // namespace xml
