// UTF-16 input of the XML reader: a document that starts with a byte-order mark is converted to
// UTF-8 before it is parsed.
#include "lang/xml/xml_internal.h"

#include <cstdint>

namespace xml {

// Both byte orders; a lone high or low surrogate is kept as it is, a pair is combined without
// checking its second half. Sized in a first pass, so the output is allocated once.
char* Utf16ToUtf8(XmlParser& parser, const char* buffer, std::size_t length, std::size_t& size) {
    const bool bigEndian = static_cast<unsigned char>(buffer[0]) == 0xFE;
    const std::size_t units = length >= 2 ? (length - 2) / 2 : 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
    auto unitAt = [&](std::size_t i) -> std::uint32_t {
        const unsigned char* b = bytes + 2 + 2 * i;
        return bigEndian ? (std::uint32_t{b[0]} << 8 | b[1]) : (std::uint32_t{b[1]} << 8 | b[0]);
    };
    auto forEachCodePoint = [&](auto&& visit) {
        for (std::size_t i = 0; i < units;) {
            std::uint32_t code = unitAt(i++);
            if (code >= 0xD800 && code <= 0xDFFF && i < units) {
                code = (((code & 0x3FF) << 10) | (unitAt(i++) & 0x3FF)) + 0x10000;
            }
            visit(code);
        }
    };
    std::size_t total = 0;
    unsigned char scratch[7];
    forEachCodePoint([&](std::uint32_t code) { total += EncodeUtf8(code, scratch); });
    auto* out = static_cast<char*>(Allocate(parser, total + 1));
    if (out == nullptr) {
        return nullptr;
    }
    std::size_t written = 0;
    forEachCodePoint([&](std::uint32_t code) {
        written += EncodeUtf8(code, reinterpret_cast<unsigned char*>(out) + written);
    });
    out[written] = 0;
    size = written;
    return out;
}

} // namespace xml
