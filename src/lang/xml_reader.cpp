// The XML reader (see xml_reader.h). Memory comes from malloc/realloc/free throughout; every
// allocation failure ends the parse and makes the public entry points return nullptr.
#include "lang/xml_reader.h"

#include <algorithm>
#include <bit>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <unordered_map>

static_assert(offsetof(XmlDocument, root) == 0, "a document must pass for its document element");

namespace {

char gEmptyString[1] = "";
// The list of every element without attributes: no pairs, then an empty flags string.
char* gNoAttributes[2] = {gEmptyString, gEmptyString};
// The empty declaration and instruction lists.
char** gNoEntries[1] = {nullptr};

char gLtName[] = "lt;", gLtValue[] = "&#60;";
char gGtName[] = "gt;", gGtValue[] = "&#62;";
char gQuotName[] = "quot;", gQuotValue[] = "&#34;";
char gAposName[] = "apos;", gAposValue[] = "&#39;";
char gAmpName[] = "amp;", gAmpValue[] = "&#38;";
constexpr std::size_t kPredefinedEntities = 5;

char gModeSpace[] = " ";
char gModeToken[] = "*";

// Decoding modes.
constexpr char kModeText = '&';
constexpr char kModeEntityValue = '%';
constexpr char kModeCdata = 'c';
constexpr char kModeAttribute = ' ';
constexpr char kModeTokenAttribute = '*';

// Entities may produce this many bytes per document, plus a multiple of the input's length:
// far more than a language file needs (the predefined entities produce at most 5 bytes for 4 or
// more), yet entities that expand each other geometrically stop after a few megabytes.
constexpr std::size_t kEntityBudgetBase = std::size_t{1} << 20;
constexpr std::size_t kEntityBudgetPerInputByte = 8;
// Likewise for comparisons of entity names, which many declared entities would make costly.
constexpr std::size_t kEntityLookupBase = std::size_t{1} << 23;
constexpr std::size_t kEntityLookupsPerInputByte = 16;

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// The first and the last child of one name, found by name, so that a child with many siblings
// is linked without walking them: a hostile file with a million of them must not stall start-up.
struct NameChain {
    XmlElement* first;
    XmlElement* last;
};
using NameIndex = std::unordered_map<std::string_view, NameChain>;

// One open element: the length of its text so far and the ends of its child chains.
struct OpenFrame {
    XmlElement* element;
    std::size_t textLength;
    XmlElement* lastChild;
    XmlElement* lastFirstOfName;
    NameIndex* names; // from the second child on; deleted when the element closes
};

struct XmlParser {
    XmlDocument* doc;
    char* end; // the terminator written over the work area's last byte
    bool lastWasGt;
    bool outOfMemory;
    std::size_t entityBytesLeft;
    std::size_t entityLookupsLeft;
    bool entityBudgetSpent;
    OpenFrame* frames; // frames[0] is the document element
    std::size_t depth;
    std::size_t frameCapacity;
};

// Tag names, attributes and decoding also count VT and FF as white space.
bool IsSpaceChar(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsNameStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}

// Both `text` and the literal are terminated, so this never reads past a terminator.
bool StartsWith(const char* text, const char* literal) {
    return std::strncmp(text, literal, std::strlen(literal)) == 0;
}

char* FindBytes(char* from, const char* end, const char* literal) {
    const std::size_t length = std::strlen(literal);
    for (char* p = from; p + length <= end; ++p) {
        if (std::memcmp(p, literal, length) == 0) {
            return p;
        }
    }
    return nullptr;
}

char* FindByte(char* from, const char* end, char c) {
    return from < end ? static_cast<char*>(std::memchr(from, c, end - from)) : nullptr;
}

bool InWorkArea(const XmlDocument* doc, const char* p) {
    const auto at = reinterpret_cast<std::uintptr_t>(p);
    return at >= reinterpret_cast<std::uintptr_t>(doc->workStart) &&
           at <= reinterpret_cast<std::uintptr_t>(doc->workEnd);
}

void* Allocate(XmlParser& parser, std::size_t size) {
    void* block = std::malloc(size);
    if (block == nullptr) {
        parser.outOfMemory = true;
    }
    return block;
}

void* Reallocate(XmlParser& parser, void* block, std::size_t size) {
    void* grown = std::realloc(block, size);
    if (grown == nullptr) {
        parser.outOfMemory = true;
    }
    return grown;
}

// Records the first error of the document. The line is counted up to `position` (line 1 when
// there is none).
XmlDocument* RecordXmlError(XmlParser& parser, const char* position, const char* message, ...) {
    XmlDocument* doc = parser.doc;
    if (doc->errorText[0] != 0) {
        return doc;
    }
    int line = 1;
    if (position != nullptr && InWorkArea(doc, position)) {
        for (const char* p = doc->workStart; p < position && p < doc->workEnd; ++p) {
            line += *p == '\n' && line < 2147483647;
        }
    }
    char format[128];
    std::snprintf(format, sizeof format, "[error near line %d]: %s", line, message);
    va_list arguments;
    va_start(arguments, message);
    std::vsnprintf(doc->errorText, sizeof doc->errorText, format, arguments);
    va_end(arguments);
    return doc;
}

// UTF-8 by the classic rule without range checks: values below 0x80 (negative ones included)
// give their low byte; surrogates and values past U+10FFFF are encoded like any other.
int EncodeUtf8(std::int64_t value, unsigned char* out) {
    if (value < 0x80) {
        out[0] = static_cast<unsigned char>(value & 0xFF);
        return 1;
    }
    const auto v = static_cast<std::uint32_t>(value);
    const int n = (static_cast<int>(std::bit_width(v)) - 2) / 5;
    out[0] = static_cast<unsigned char>(((0xFFu << (7 - n)) & 0xFFu) | (v >> (6 * n)));
    for (int i = 1; i <= n; ++i) {
        out[i] = static_cast<unsigned char>(0x80u | ((v >> (6 * (n - i))) & 0x3Fu));
    }
    return n + 1;
}

int DigitValue(char c, int base) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (base == 16 && c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (base == 16 && c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A character reference at `at` ("&#..."): its non-zero value and the byte after its ";", or
// nullptr when it is none. Values beyond 32 bits read as the nearest 32-bit one.
const char* ParseCharacterReference(const char* at, std::int64_t& value) {
    const char* p = at + 2;
    int base = 10;
    if (*p == 'x') {
        base = 16;
        ++p;
    }
    while (IsSpaceChar(*p)) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    std::int64_t magnitude = 0;
    bool anyDigit = false;
    for (int digit = DigitValue(*p, base); digit >= 0; digit = DigitValue(*++p, base)) {
        anyDigit = true;
        magnitude = std::min<std::int64_t>(magnitude * base + digit, std::int64_t{1} << 32);
    }
    if (!anyDigit || *p != ';') {
        return nullptr;
    }
    value = negative ? std::max<std::int64_t>(-magnitude, INT32_MIN)
                     : std::min<std::int64_t>(magnitude, INT32_MAX);
    return value != 0 ? p + 1 : nullptr;
}

// CR LF and a lone CR both become LF; returns the new length.
std::size_t NormalizeLineEnds(char* text) {
    char* out = text;
    for (const char* in = text; *in != 0; ++in) {
        if (*in == '\r') {
            *out++ = '\n';
            if (in[1] == '\n') {
                ++in;
            }
        } else {
            *out++ = *in;
        }
    }
    *out = 0;
    return static_cast<std::size_t>(out - text);
}

// The index of the first entity whose name (with its ";") begins `at`, or kNotFound, also when
// the document's lookups are spent (entityBudgetSpent).
std::size_t FindEntity(XmlParser& parser, char* const* entities, const char* at) {
    for (std::size_t i = 0; entities != nullptr && entities[2 * i] != nullptr; ++i) {
        if (parser.entityLookupsLeft == 0) {
            parser.entityBudgetSpent = true;
            return kNotFound;
        }
        --parser.entityLookupsLeft;
        const char* name = entities[2 * i];
        if (StartsWith(at, name)) {
            return i;
        }
    }
    return kNotFound;
}

// A string being decoded: buffer[0, out) is done, buffer[tail, end) is still to scan and
// buffer[end] is its terminator. Replacement texts go in just before `tail`, so text growing by
// entities costs no moving of what follows.
struct GapText {
    char* buffer;
    std::size_t capacity;
    bool owned;
    std::size_t out;
    std::size_t tail;
    std::size_t end;
};

bool InsertBeforeTail(XmlParser& parser, GapText& text, const char* bytes, std::size_t length) {
    if (length > text.tail - text.out) {
        const std::size_t rest = text.end - text.tail + 1; // with the terminator
        const std::size_t needed = text.out + length + rest;
        const std::size_t capacity = std::max(needed + needed / 2 + 16, text.capacity * 2);
        auto* grown = static_cast<char*>(Allocate(parser, capacity));
        if (grown == nullptr) {
            return false;
        }
        std::memcpy(grown, text.buffer, text.out);
        std::memcpy(grown + capacity - rest, text.buffer + text.tail, rest);
        if (text.owned) {
            std::free(text.buffer);
        }
        text = {grown, capacity, true, text.out, capacity - rest, capacity - 1};
    }
    text.tail -= length;
    std::memmove(text.buffer + text.tail, bytes, length);
    return true;
}

// Mode "*": no leading or trailing space, and a single space between tokens.
void CollapseSpaces(char* text) {
    char* out = text;
    for (const char* in = text; *in != 0; ++in) {
        if (*in != ' ' || (out != text && out[-1] != ' ')) {
            *out++ = *in;
        }
    }
    if (out != text && out[-1] == ' ') {
        --out;
    }
    *out = 0;
}

// Decodes `text` in place in the given mode. Returns `text`, or a new allocation when
// replacements made it longer (the caller then owns it), or nullptr when memory or the entity
// budget ran out (the latter with an error recorded at `text`).
char* DecodeXmlText(XmlParser& parser, char* text, char* const* entities, char mode) {
    const std::size_t length = NormalizeLineEnds(text);
    if (mode == kModeCdata) {
        return text;
    }
    const char sign = mode == kModeEntityValue ? '%' : '&';
    const bool spacesOnly = mode == kModeAttribute || mode == kModeTokenAttribute;
    GapText gap{text, length + 1, false, 0, 0, length};
    while (gap.tail < gap.end) {
        const char* at = gap.buffer + gap.tail;
        if (at[0] == '&' && at[1] == '#') {
            std::int64_t value = 0;
            if (const char* after = ParseCharacterReference(at, value)) {
                unsigned char bytes[7]; // the longest form the rule gives, for 32 significant bits
                const int count = EncodeUtf8(value, bytes);
                gap.tail = static_cast<std::size_t>(after - gap.buffer);
                std::memcpy(gap.buffer + gap.out, bytes, count); // never longer than the reference
                gap.out += count;
                continue;
            }
        }
        if (at[0] == sign) {
            const std::size_t i = FindEntity(parser, entities, at + 1);
            if (i != kNotFound || parser.entityBudgetSpent) {
                const char* replacement = i != kNotFound ? entities[2 * i + 1] : "";
                const std::size_t replacementLength = std::strlen(replacement);
                if (parser.entityBudgetSpent || replacementLength > parser.entityBytesLeft) {
                    if (gap.owned) {
                        std::free(gap.buffer);
                    }
                    RecordXmlError(parser, text, "entity expansion too large");
                    return nullptr;
                }
                parser.entityBytesLeft -= replacementLength;
                gap.tail += 1 + std::strlen(entities[2 * i]);
                if (!InsertBeforeTail(parser, gap, replacement, replacementLength)) {
                    if (gap.owned) {
                        std::free(gap.buffer);
                    }
                    return nullptr;
                }
                continue;
            }
        }
        char c = *at;
        if (spacesOnly && IsSpaceChar(c)) {
            c = ' ';
        }
        gap.buffer[gap.out++] = c;
        ++gap.tail;
    }
    gap.buffer[gap.out] = 0;
    if (mode == kModeTokenAttribute) {
        CollapseSpaces(gap.buffer);
    }
    return gap.buffer;
}

// Whether `name` can be reached from `text` by following references through `entities`. Each
// entity is looked at once, so entities that refer to each other many times cost no more than
// their own length.
bool IsEntityAcyclic(XmlParser& parser, const char* name, const char* text, char* const* entities,
                     std::size_t count, char sign) {
    auto* seen = static_cast<unsigned char*>(std::calloc(count + 1, 1));
    auto* pending = static_cast<const char**>(Allocate(parser, (count + 1) * sizeof(char*)));
    if (seen == nullptr || pending == nullptr) {
        parser.outOfMemory = true;
        std::free(seen);
        std::free(pending);
        return true;
    }
    bool acyclic = true;
    std::size_t top = 0;
    pending[top++] = text;
    while (top > 0 && acyclic) {
        const char* scan = pending[--top];
        for (const char* at = std::strchr(scan, sign); at != nullptr;
             at = std::strchr(at + 1, sign)) {
            if (StartsWith(at + 1, name)) {
                acyclic = false;
                break;
            }
            const std::size_t i = FindEntity(parser, entities, at + 1);
            if (parser.entityBudgetSpent) {
                RecordXmlError(parser, name, "entity expansion too large");
                acyclic = false;
                break;
            }
            if (i != kNotFound && seen[i] == 0) {
                seen[i] = 1;
                pending[top++] = entities[2 * i + 1];
            }
        }
    }
    std::free(seen);
    std::free(pending);
    return acyclic;
}

bool AppendEntity(XmlParser& parser, char**& list, std::size_t& count, char* name, char* value) {
    auto* grown =
        static_cast<char**>(Reallocate(parser, list, (2 * (count + 1) + 1) * sizeof(char*)));
    if (grown == nullptr) {
        return false;
    }
    grown[2 * count] = name;
    grown[2 * count + 1] = value;
    grown[2 * count + 2] = nullptr;
    list = grown;
    ++count;
    return true;
}

// --- Attribute lists ---

struct AttributeBuilder {
    char** pairs;
    unsigned char* flags;
    std::size_t count;
    std::size_t capacity;
};

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

// --- Declarations and instructions ---

std::size_t FindEntry(char*** list, const char* name) {
    for (std::size_t i = 0; list[i] != nullptr; ++i) {
        if (std::strcmp(list[i][0], name) == 0) {
            return i;
        }
    }
    return kNotFound;
}

// Appends a new entry holding `first` items (the rest nullptr) to a declaration or instruction
// list; returns its index.
std::size_t AppendEntry(XmlParser& parser, char***& list, std::size_t& count, char** entry) {
    void* old = list == gNoEntries ? nullptr : list;
    auto* grown = static_cast<char***>(Reallocate(parser, old, (count + 2) * sizeof(char**)));
    if (grown == nullptr) {
        return kNotFound;
    }
    grown[count] = entry;
    grown[count + 1] = nullptr;
    list = grown;
    return count++;
}

const char* FindDeclaredDefault(char** entry, const char* attribute, bool& found) {
    found = false;
    for (std::size_t i = 1; entry != nullptr && entry[i] != nullptr; i += 3) {
        if (std::strcmp(entry[i], attribute) == 0) {
            found = true;
            return entry[i + 1];
        }
    }
    return nullptr;
}

char DeclaredMode(char** entry, const char* attribute) {
    for (std::size_t i = 1; entry != nullptr && entry[i] != nullptr; i += 3) {
        if (std::strcmp(entry[i], attribute) == 0) {
            return entry[i + 2][0];
        }
    }
    return kModeAttribute;
}

bool AppendDeclaration(XmlParser& parser, char* element, char* attribute, char* defaultValue,
                       char mode) {
    XmlDocument* doc = parser.doc;
    std::size_t index = FindEntry(doc->declarations, element);
    if (index == kNotFound) {
        auto* entry = static_cast<char**>(Allocate(parser, 2 * sizeof(char*)));
        if (entry == nullptr) {
            return false;
        }
        entry[0] = element;
        entry[1] = nullptr;
        index = AppendEntry(parser, doc->declarations, doc->declarationCount, entry);
        if (index == kNotFound) {
            std::free(entry);
            return false;
        }
    }
    char** entry = doc->declarations[index];
    std::size_t used = 1;
    while (entry[used] != nullptr) {
        used += 3;
    }
    auto* grown = static_cast<char**>(Reallocate(parser, entry, (used + 4) * sizeof(char*)));
    if (grown == nullptr) {
        return false;
    }
    grown[used] = attribute;
    grown[used + 1] = defaultValue;
    grown[used + 2] = mode == kModeAttribute ? gModeSpace : gModeToken;
    grown[used + 3] = nullptr;
    doc->declarations[index] = grown;
    return true;
}

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

// "<!ENTITY" at `p` - 8. Returns where the scan goes on, or nullptr when the step ends.
char* DeclareEntity(XmlParser& parser, char* p, char* end, char**& parameters,
                    std::size_t& parameterCount) {
    XmlDocument* doc = parser.doc;
    while (p < end && IsXmlSpace(*p)) {
        ++p;
    }
    const bool parameter = p < end && *p == '%';
    while (p < end && (IsXmlSpace(*p) || *p == '%')) {
        ++p;
    }
    char* name = p;
    while (p < end && !IsXmlSpace(*p)) {
        ++p;
    }
    char* nameEnd = p;
    if (p == end || name == nameEnd || name[0] == 0) {
        return nullptr;
    }
    ++p;
    while (p < end && IsXmlSpace(*p)) {
        ++p;
    }
    if (p == end) {
        return nullptr;
    }
    if (*p != '"' && *p != '\'') {
        // An external entity: not read.
        char* close = FindByte(p, end, '>');
        return close != nullptr ? close + 1 : nullptr;
    }
    char* value = p + 1;
    char* close = FindByte(value, end, *p);
    const bool lastDeclaration = close == nullptr;
    if (lastDeclaration) {
        close = end;
    }
    *close = 0;
    // The name keeps its ";": it goes over the white space after the name, and the terminator
    // over the next byte, which is more white space or the opening quote.
    nameEnd[0] = ';';
    nameEnd[1] = 0;

    char** const list = parameter ? parameters : doc->entities;
    const std::size_t count = parameter ? parameterCount : doc->entityCount;
    char* decoded = DecodeXmlText(parser, value, parameters, kModeEntityValue);
    if (decoded == nullptr) {
        return nullptr;
    }
    const bool acyclic = IsEntityAcyclic(parser, name, decoded, list, count, parameter ? '%' : '&');
    bool appended = false;
    if (acyclic && !parser.outOfMemory) {
        appended = parameter ? AppendEntity(parser, parameters, parameterCount, name, decoded)
                             : AppendEntity(parser, doc->entities, doc->entityCount, name, decoded);
    }
    if (!appended) {
        if (decoded != value) {
            std::free(decoded);
        }
        if (!acyclic) {
            RecordXmlError(parser, name, "circular entity declaration &%s", name);
        }
        return nullptr;
    }
    return lastDeclaration ? nullptr : close + 1;
}

// "<!ATTLIST" at `p` - 9. Returns where the scan goes on, or nullptr when the step ends.
char* DeclareAttributes(XmlParser& parser, char* p, char* end) {
    XmlDocument* doc = parser.doc;
    while (p < end && IsXmlSpace(*p)) {
        ++p;
    }
    if (p == end) {
        RecordXmlError(parser, p, "unclosed <!ATTLIST");
        return nullptr;
    }
    char* element = p;
    while (p < end && !IsXmlSpace(*p) && *p != '>') {
        ++p;
    }
    if (p == end) {
        return end;
    }
    if (*p == '>') {
        return p + 1;
    }
    *p++ = 0;
    for (;;) {
        while (p < end && IsXmlSpace(*p)) {
            ++p;
        }
        if (p == end) {
            return end;
        }
        if (*p == '>') {
            return p + 1;
        }
        char* attribute = p;
        while (p < end && !IsXmlSpace(*p)) {
            ++p;
        }
        if (p == end) {
            RecordXmlError(parser, attribute, "malformed <!ATTLIST");
            return nullptr;
        }
        *p++ = 0;
        while (p < end && IsXmlSpace(*p)) {
            ++p;
        }
        const char mode = StartsWith(p, "CDATA") ? kModeAttribute : kModeTokenAttribute;
        if (StartsWith(p, "NOTATION")) {
            p += 8;
            while (p < end && IsXmlSpace(*p)) {
                ++p;
            }
        }
        if (p < end && *p == '(') {
            char* close = FindByte(p, end, ')');
            if (close == nullptr) {
                RecordXmlError(parser, attribute, "malformed <!ATTLIST");
                return nullptr;
            }
            p = close + 1;
        } else {
            while (p < end && !IsXmlSpace(*p)) {
                ++p;
            }
        }
        while (p < end && (IsXmlSpace(*p) || *p == ')')) {
            ++p;
        }
        if (StartsWith(p, "#FIXED")) {
            p += 6;
            while (p < end && IsXmlSpace(*p)) {
                ++p;
            }
        }
        char* defaultValue = nullptr;
        char* quoted = nullptr;
        if (p < end && *p == '#') {
            while (p < end && !IsXmlSpace(*p) && *p != '>') {
                ++p;
            }
            if (mode == kModeAttribute) {
                continue; // nothing to remember about an optional text attribute
            }
        } else if (p < end && (*p == '"' || *p == '\'')) {
            quoted = p + 1;
            char* close = FindByte(quoted, end, *p);
            if (close == nullptr) {
                RecordXmlError(parser, attribute, "malformed <!ATTLIST");
                return nullptr;
            }
            *close = 0;
            p = close + 1;
            defaultValue = DecodeXmlText(parser, quoted, doc->entities, mode);
            if (defaultValue == nullptr) {
                return nullptr;
            }
        } else {
            RecordXmlError(parser, attribute, "malformed <!ATTLIST");
            char* close = FindByte(p, end, '>');
            return close != nullptr ? close + 1 : end;
        }
        if (!AppendDeclaration(parser, element, attribute, defaultValue, mode)) {
            if (defaultValue != quoted) {
                std::free(defaultValue);
            }
            return nullptr;
        }
    }
}

// The internal subset [text, end), terminated at `end`. True when no error was recorded.
bool ProcessXmlDeclarations(XmlParser& parser, char* text, char* end) {
    XmlDocument* doc = parser.doc;
    char** parameters = nullptr;
    std::size_t parameterCount = 0;
    char* p = text;
    while (p != nullptr && !parser.outOfMemory) {
        while (p < end && *p != '<' && *p != '%') {
            ++p;
        }
        if (p == end) {
            break;
        }
        if (*p == '%') {
            // A parameter reference in the subset ends it unless the document is standalone.
            if (doc->standalone == 0) {
                break;
            }
            ++p;
        } else if (StartsWith(p, "<!ENTITY")) {
            p = DeclareEntity(parser, p + 8, end, parameters, parameterCount);
        } else if (StartsWith(p, "<!ATTLIST")) {
            p = DeclareAttributes(parser, p + 9, end);
        } else if (StartsWith(p, "<!--")) {
            char* close = FindBytes(p + 4, end, "-->");
            p = close != nullptr ? close + 3 : nullptr;
        } else if (StartsWith(p, "<?")) {
            char* close = FindBytes(p + 2, end, "?>");
            if (close != nullptr) {
                *close = 0;
                ProcessInstruction(parser, p + 2, close);
                p = close + 2;
            } else {
                p = nullptr;
            }
        } else {
            char* close = FindByte(p + 1, end, '>');
            p = close != nullptr ? close + 1 : nullptr;
        }
    }
    // Parameter entities serve the subset only; their grown values go with them.
    for (std::size_t i = 0; i < parameterCount; ++i) {
        if (!InWorkArea(doc, parameters[2 * i + 1])) {
            std::free(parameters[2 * i + 1]);
        }
    }
    std::free(parameters);
    return doc->errorText[0] == 0 && !parser.outOfMemory;
}

// --- Elements ---

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

// Offsets never decrease while parsing, so a new child always goes last in every chain. False
// when memory ran out; nothing is linked then.
bool InsertChild(OpenFrame& frame, XmlElement* child) {
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
            frame.names = new NameIndex;
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

void CloseFrame(OpenFrame& frame) {
    delete frame.names;
    frame.names = nullptr;
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
    auto* element = static_cast<XmlElement*>(std::calloc(1, sizeof(XmlElement)));
    if (element == nullptr) {
        parser.outOfMemory = true;
        FreeAttributes(attributes);
        return false;
    }
    OpenFrame& frame = parser.frames[parser.depth - 1];
    element->name = name;
    element->attributes = attributes;
    element->text = gEmptyString;
    element->textOffset = frame.textLength;
    element->parent = parent;
    if (!InsertChild(frame, element)) {
        parser.outOfMemory = true;
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

bool ClosesHere(const XmlParser& parser, const char* p) {
    return p < parser.end ? *p == '>' : parser.lastWasGt;
}

// A start tag whose name begins at `d`. Returns its closing byte, or nullptr after an error.
char* ParseStartTag(XmlParser& parser, char* d) {
    XmlDocument* doc = parser.doc;
    char* const end = parser.end;
    if (doc->openElement == nullptr) {
        RecordXmlError(parser, d - 1, "markup outside of root element");
        return nullptr;
    }
    char* const name = d;
    char* p = d;
    while (p < end && !IsSpaceChar(*p) && *p != '/' && *p != '>') {
        ++p;
    }
    while (p < end && IsSpaceChar(*p)) {
        *p++ = 0;
    }
    AttributeBuilder attributes{};
    char** declaration = nullptr;
    if (p < end && *p != '/' && *p != '>') {
        const std::size_t index = FindEntry(doc->declarations, name);
        declaration = index != kNotFound ? doc->declarations[index] : nullptr;
    }
    while (p < end && *p != '/' && *p != '>') {
        char* attribute = p;
        while (p < end && !IsSpaceChar(*p) && *p != '=' && *p != '/' && *p != '>') {
            ++p;
        }
        char* value = gEmptyString;
        unsigned char flag = 0;
        if (p < end && (*p == '=' || IsSpaceChar(*p))) {
            *p++ = 0;
            while (p < end && (*p == '=' || IsSpaceChar(*p))) {
                ++p;
            }
            if (p < end && (*p == '"' || *p == '\'')) {
                const char quote = *p;
                char* start = p + 1;
                char* close = FindByte(start, end, quote);
                if (close == nullptr) {
                    FreeAttributeBuilder(attributes);
                    RecordXmlError(parser, d - 1, "missing %c", quote);
                    return nullptr;
                }
                *close = 0;
                value = DecodeXmlText(parser, start, doc->entities,
                                      DeclaredMode(declaration, attribute));
                if (value == nullptr) {
                    FreeAttributeBuilder(attributes);
                    return nullptr;
                }
                flag = value != start ? kXmlOwnsValue : 0;
                p = close + 1;
            }
        }
        if (!AddAttribute(parser, attributes, attribute, value, flag)) {
            FreeAttributeBuilder(attributes);
            return nullptr;
        }
        while (p < end && IsSpaceChar(*p)) {
            ++p;
        }
    }
    const bool empty = p < end && *p == '/';
    if (empty) {
        *p++ = 0;
    }
    if (!ClosesHere(parser, p)) {
        FreeAttributeBuilder(attributes);
        RecordXmlError(parser, d - 1, "missing >");
        return nullptr;
    }
    // Terminates a name or attribute name that ran up to the ">".
    *p = 0;
    char** list = PackAttributes(parser, attributes);
    if (list == nullptr || !OpenElement(parser, name, list)) {
        return nullptr;
    }
    if (empty) {
        CloseElement(parser);
    }
    return p;
}

char* ParseEndTag(XmlParser& parser, char* d) {
    char* const end = parser.end;
    char* const name = d + 1;
    char* p = name;
    while (p < end && !IsSpaceChar(*p) && *p != '>') {
        ++p;
    }
    if (p == end && !parser.lastWasGt) {
        RecordXmlError(parser, d - 1, "missing >");
        return nullptr;
    }
    const bool atClose = p < end && *p == '>';
    *p = 0;
    const XmlElement* open = parser.doc->openElement;
    if (open == nullptr || open->name == nullptr || std::strcmp(open->name, name) != 0) {
        RecordXmlError(parser, d - 1, "unexpected closing tag </%s>", name);
        return nullptr;
    }
    CloseElement(parser);
    if (!atClose && p < end) {
        ++p;
        while (p < end && IsSpaceChar(*p)) {
            ++p;
        }
    }
    return p;
}

char* ParseDoctype(XmlParser& parser, char* d) {
    char* const end = parser.end;
    char* subset = nullptr;
    char* p = d + 8;
    for (;;) {
        while (p < end && *p != '[' && *p != ']' && *p != '>') {
            ++p;
        }
        if (p == end) {
            if (subset != nullptr || !parser.lastWasGt) {
                RecordXmlError(parser, d - 1, "unclosed <!DOCTYPE");
                return nullptr;
            }
            return p;
        }
        if (*p == '>' && subset == nullptr) {
            return p;
        }
        if (*p == '[' && subset == nullptr) {
            subset = p + 1;
        } else if (*p == ']' && subset != nullptr) {
            char* close = p + 1;
            while (close < end && IsXmlSpace(*close)) {
                ++close;
            }
            if (ClosesHere(parser, close)) {
                *p = 0;
                return ProcessXmlDeclarations(parser, subset, p) ? close : nullptr;
            }
        }
        ++p;
    }
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

char* ParseMarkup(XmlParser& parser, char* d) {
    char* const end = parser.end;
    if (d < end && IsNameStart(*d)) {
        return ParseStartTag(parser, d);
    }
    if (*d == '/') {
        return ParseEndTag(parser, d);
    }
    if (StartsWith(d, "!--")) {
        char* dashes = FindBytes(d + 3, end, "--");
        if (dashes == nullptr || !ClosesHere(parser, dashes + 2)) {
            RecordXmlError(parser, d - 1, "unclosed <!--");
            return nullptr;
        }
        return dashes + 2;
    }
    if (StartsWith(d, "![CDATA[")) {
        char* content = d + 8;
        char* close = FindBytes(content, end, "]]>");
        if (close == nullptr && parser.lastWasGt && end - content >= 2 && end[-2] == ']' &&
            end[-1] == ']') {
            close = end - 2;
        }
        if (close == nullptr) {
            RecordXmlError(parser, d - 1, "unclosed <![CDATA[");
            return nullptr;
        }
        return AddXmlText(parser, content, static_cast<std::size_t>(close - content), kModeCdata)
                   ? close + 2
                   : nullptr;
    }
    if (StartsWith(d, "!DOCTYPE")) {
        return ParseDoctype(parser, d);
    }
    if (*d == '?') {
        return ParseInstruction(parser, d);
    }
    RecordXmlError(parser, d - 1, "unexpected <");
    return nullptr;
}

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

void Parse(XmlParser& parser, char* buffer, std::size_t length) {
    XmlDocument* doc = parser.doc;
    if (buffer == nullptr || length == 0) {
        RecordXmlError(parser, nullptr, "root tag missing");
        return;
    }
    char* work = buffer;
    std::size_t size = length;
    const auto first = static_cast<unsigned char>(buffer[0]);
    if (first == 0xFE || first == 0xFF) {
        doc->utf8 = Utf16ToUtf8(parser, buffer, length, size);
        if (doc->utf8 == nullptr) {
            return;
        }
        if (size == 0) {
            RecordXmlError(parser, nullptr, "root tag missing");
            return;
        }
        work = doc->utf8;
    }
    doc->workStart = work;
    doc->workEnd = work + size;
    parser.entityBytesLeft =
        kEntityBudgetBase + std::min(size, SIZE_MAX / 128) * kEntityBudgetPerInputByte;
    parser.entityLookupsLeft =
        kEntityLookupBase + std::min(size, SIZE_MAX / 128) * kEntityLookupsPerInputByte;
    parser.end = work + size - 1;
    parser.lastWasGt = *parser.end == '>';
    *parser.end = 0;
    char* const end = parser.end;

    char* p = FindByte(work, end, '<');
    if (p == nullptr) {
        RecordXmlError(parser, end, "root tag missing");
        return;
    }
    ++p;
    for (;;) {
        p = ParseMarkup(parser, p);
        if (p == nullptr) {
            return; // error recorded or memory exhausted
        }
        if (p >= end) {
            break;
        }
        *p++ = 0;
        char* next = FindByte(p, end, '<');
        if (next == nullptr) {
            break; // character data up to the end is dropped
        }
        if (!AddXmlText(parser, p, static_cast<std::size_t>(next - p), kModeText)) {
            return;
        }
        p = next + 1;
    }
    if (doc->openElement == nullptr) {
        return;
    }
    if (doc->openElement->name == nullptr) {
        RecordXmlError(parser, end, "root tag missing");
    } else {
        RecordXmlError(parser, end, "unclosed tag <%s>", doc->openElement->name);
    }
}

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
    auto* doc = static_cast<XmlDocument*>(std::calloc(1, sizeof(XmlDocument)));
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
    doc->entities = static_cast<char**>(std::malloc((2 * kPredefinedEntities + 1) * sizeof(char*)));
    auto* frames = static_cast<OpenFrame*>(std::malloc(16 * sizeof(OpenFrame)));
    if (doc->entities == nullptr || frames == nullptr) {
        std::free(frames);
        FreeXml(doc);
        return nullptr;
    }
    char* const predefined[] = {gLtName,   gLtValue,   gGtName,  gGtValue,  gQuotName, gQuotValue,
                                gAposName, gAposValue, gAmpName, gAmpValue, nullptr};
    std::memcpy(doc->entities, predefined, sizeof predefined);
    doc->entityCount = kPredefinedEntities;

    XmlParser parser{};
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
    std::size_t capacity = 1024;
    std::size_t length = 0;
    auto* buffer = static_cast<char*>(std::malloc(capacity));
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
        auto* grown = static_cast<char*>(std::realloc(buffer, capacity * 2));
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
