// Entities of the XML reader: the predefined five, the budgets that stop entities expanding each
// other geometrically, the lookup of an entity by name, and <!ENTITY declarations of the internal
// subset with their check against circular references.
#include "lang/xml/xml_internal.h"

#include <algorithm>
#include <cstdint>

namespace xml {

namespace {

char gLtName[] = "lt;", gLtValue[] = "&#60;";
char gGtName[] = "gt;", gGtValue[] = "&#62;";
char gQuotName[] = "quot;", gQuotValue[] = "&#34;";
char gAposName[] = "apos;", gAposValue[] = "&#39;";
char gAmpName[] = "amp;", gAmpValue[] = "&#38;";

// Entities may produce this many bytes per document, plus a multiple of the input's length:
// far more than a language file needs (the predefined entities produce at most 5 bytes for 4 or
// more), yet entities that expand each other geometrically stop after a few megabytes.
constexpr std::size_t kEntityBudgetBase = std::size_t{1} << 20;
constexpr std::size_t kEntityBudgetPerInputByte = 8;
// Likewise for comparisons of entity names, which many declared entities would make costly.
constexpr std::size_t kEntityLookupBase = std::size_t{1} << 23;
constexpr std::size_t kEntityLookupsPerInputByte = 16;

// Whether `name` can be reached from `text` by following references through `entities`. Each
// entity is looked at once, so entities that refer to each other many times cost no more than
// their own length.
bool IsEntityAcyclic(XmlParser& parser, const char* name, const char* text, char* const* entities,
                     std::size_t count, char sign) {
    auto* seen = static_cast<unsigned char*>(AllocateZeroed(parser, count + 1));
    auto* pending = static_cast<const char**>(Allocate(parser, (count + 1) * sizeof(char*)));
    if (seen == nullptr || pending == nullptr) {
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

} // namespace

void SetPredefinedEntities(XmlDocument* doc) {
    char* const predefined[] = {gLtName,   gLtValue,   gGtName,  gGtValue,  gQuotName, gQuotValue,
                                gAposName, gAposValue, gAmpName, gAmpValue, nullptr};
    std::memcpy(doc->entities, predefined, sizeof predefined);
    doc->entityCount = kPredefinedEntities;
}

// The budgets grow with `size`, the length of the work area.
void StartEntityBudgets(XmlParser& parser, std::size_t size) {
    parser.entityBytesLeft =
        kEntityBudgetBase + std::min(size, SIZE_MAX / 128) * kEntityBudgetPerInputByte;
    parser.entityLookupsLeft =
        kEntityLookupBase + std::min(size, SIZE_MAX / 128) * kEntityLookupsPerInputByte;
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

} // namespace xml
