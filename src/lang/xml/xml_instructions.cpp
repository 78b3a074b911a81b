// Processing instructions of the XML reader: the <?xml declaration's standalone flag, and the
// document's list of the other instructions by target.
#include "lang/xml/xml_internal.h"

namespace xml {

namespace {

bool AppendInstruction(XmlParser& parser, char* target, char* text) {
    XmlDocument* doc = parser.doc;
    std::size_t index = FindEntry(doc->instructions, target);
    if (index == kNotFound) {
        auto* entry = static_cast<char**>(Allocate(parser, 3 * sizeof(char*)));
        auto* positions = static_cast<char*>(Allocate(parser, 1));
        if (entry != nullptr && positions != nullptr) {
            entry[0] = target;
            entry[1] = nullptr;
            entry[2] = positions;
            positions[0] = 0;
            index = AppendEntry(parser, doc->instructions, doc->instructionCount, entry);
        }
        if (index == kNotFound) {
            std::free(entry);
            std::free(positions);
            return false;
        }
    }
    char** entry = doc->instructions[index];
    std::size_t texts = 0;
    while (entry[1 + texts] != nullptr) {
        ++texts;
    }
    auto* grown = static_cast<char**>(Reallocate(parser, entry, (texts + 4) * sizeof(char*)));
    if (grown == nullptr) {
        return false;
    }
    doc->instructions[index] = grown;
    auto* positions = static_cast<char*>(Reallocate(parser, grown[texts + 2], texts + 2));
    if (positions == nullptr) {
        return false;
    }
    grown[texts + 1] = text;
    grown[texts + 2] = nullptr;
    grown[texts + 3] = positions;
    positions[texts] = doc->root.name == nullptr ? '<' : '>';
    positions[texts + 1] = 0;
    return true;
}

} // namespace

// The text between "<?" and "?>", terminated at `end`.
bool ProcessInstruction(XmlParser& parser, char* text, char* end) {
    char* p = text;
    while (p < end && !IsXmlSpace(*p)) {
        ++p;
    }
    char* instruction = p;
    if (p < end) {
        *p++ = 0;
        while (p < end && IsXmlSpace(*p)) {
            ++p;
        }
        instruction = p;
    }
    if (std::strcmp(text, "xml") != 0) {
        return AppendInstruction(parser, text, instruction);
    }
    if (const char* word = FindBytes(instruction, end, "standalone")) {
        const char* p2 = word + 10;
        while (p2 < end && (IsXmlSpace(*p2) || *p2 == '=' || *p2 == '\'' || *p2 == '"')) {
            ++p2;
        }
        if (end - p2 >= 3 && std::memcmp(p2, "yes", 3) == 0) {
            parser.doc->standalone = 1;
        }
    }
    return true;
}

char* ParseInstruction(XmlParser& parser, char* d) {
    char* const end = parser.end;
    for (char* p = d + 1; p < end; ++p) {
        if (*p == '?' && ClosesHere(parser, p + 1)) {
            *p = 0;
            return ProcessInstruction(parser, d + 1, p) ? p + 1 : nullptr;
        }
    }
    RecordXmlError(parser, d - 1, "unclosed <?");
    return nullptr;
}

} // namespace xml
