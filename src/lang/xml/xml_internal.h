// The XML reader's inside, shared by the files of src/lang/xml/ and by no one else (users include
// lang/xml_reader.h): the parse state, the shared empty lists, the decoding modes, the small
// byte scanners, and the functions one file of the reader calls in another. Every block of memory
// comes from Reallocate (malloc/realloc, released with free), whose failure marks the parse: the
// parse then ends and the public entry points return nullptr.
#pragma once

#include "lang/xml_reader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string_view>
#include <unordered_map>

namespace xml {

// The one way the reader gets memory. A failure sets `failed`, which ends the parse. Tests make
// the allocation after the next `allocationsBeforeFailure` fail, to walk every failure path.
inline constexpr std::size_t kNoFailure = SIZE_MAX;
inline std::size_t allocationsBeforeFailure = kNoFailure;

inline void* Reallocate(bool& failed, void* block, std::size_t size) {
    void* grown = nullptr;
    if (allocationsBeforeFailure != 0) {
        grown = std::realloc(block, size);
        if (allocationsBeforeFailure != kNoFailure) {
            --allocationsBeforeFailure;
        }
    }
    if (grown == nullptr) {
        failed = true;
    }
    return grown;
}

// The standard containers of the reader allocate through Reallocate too; they need an exception,
// which the caller turns back into the parse's failure.
template <typename T> struct ReaderAllocator {
    using value_type = T;
    bool* failed;
    explicit ReaderAllocator(bool* flag) : failed(flag) {}
    template <typename U> ReaderAllocator(const ReaderAllocator<U>& other) : failed(other.failed) {}
    T* allocate(std::size_t count) {
        if (count > SIZE_MAX / sizeof(T)) {
            *failed = true;
            throw std::bad_alloc();
        }
        void* block = Reallocate(*failed, nullptr, count * sizeof(T));
        if (block == nullptr) {
            throw std::bad_alloc();
        }
        return static_cast<T*>(block);
    }
    void deallocate(T* block, std::size_t) { std::free(block); }
    template <typename U> bool operator==(const ReaderAllocator<U>& other) const {
        return failed == other.failed;
    }
};

inline char gEmptyString[1] = "";
// The list of every element without attributes: no pairs, then an empty flags string.
inline char* gNoAttributes[2] = {gEmptyString, gEmptyString};
// The empty declaration and instruction lists.
inline char** gNoEntries[1] = {nullptr};

// lt, gt, quot, apos and amp head every document's entity list.
constexpr std::size_t kPredefinedEntities = 5;

// Decoding modes.
constexpr char kModeText = '&';
constexpr char kModeEntityValue = '%';
constexpr char kModeCdata = 'c';
constexpr char kModeAttribute = ' ';
constexpr char kModeTokenAttribute = '*';

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// The first and the last child of one name, found by name, so that a child with many siblings
// is linked without walking them: a hostile file with a million of them must not stall start-up.
struct NameChain {
    XmlElement* first;
    XmlElement* last;
};
using NameIndex = std::unordered_map<std::string_view, NameChain, std::hash<std::string_view>,
                                     std::equal_to<std::string_view>,
                                     ReaderAllocator<std::pair<const std::string_view, NameChain>>>;

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

// The small scanners below run in every loop of the reader, so they live here to be inlined.

// Tag names, attributes and decoding also count VT and FF as white space.
inline bool IsSpaceChar(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
inline bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

inline bool IsNameStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}

// Both `text` and the literal are terminated, so this never reads past a terminator.
inline bool StartsWith(const char* text, const char* literal) {
    return std::strncmp(text, literal, std::strlen(literal)) == 0;
}

inline char* FindBytes(char* from, const char* end, const char* literal) {
    const std::size_t length = std::strlen(literal);
    for (char* p = from; p + length <= end; ++p) {
        if (std::memcmp(p, literal, length) == 0) {
            return p;
        }
    }
    return nullptr;
}

inline char* FindByte(char* from, const char* end, char c) {
    return from < end ? static_cast<char*>(std::memchr(from, c, end - from)) : nullptr;
}

inline bool InWorkArea(const XmlDocument* doc, const char* p) {
    const auto at = reinterpret_cast<std::uintptr_t>(p);
    return at >= reinterpret_cast<std::uintptr_t>(doc->workStart) &&
           at <= reinterpret_cast<std::uintptr_t>(doc->workEnd);
}

inline void* Reallocate(XmlParser& parser, void* block, std::size_t size) {
    return Reallocate(parser.outOfMemory, block, size);
}

inline void* Allocate(XmlParser& parser, std::size_t size) {
    return Reallocate(parser.outOfMemory, nullptr, size);
}

inline void* AllocateZeroed(XmlParser& parser, std::size_t size) {
    void* block = Allocate(parser, size);
    if (block != nullptr) {
        std::memset(block, 0, size);
    }
    return block;
}

// Whether `p` is a closing ">": at the end of the work area, whether its last byte was one.
inline bool ClosesHere(const XmlParser& parser, const char* p) {
    return p < parser.end ? *p == '>' : parser.lastWasGt;
}

// --- Error texts (xml_errors.cpp) ---

XmlDocument* RecordXmlError(XmlParser& parser, const char* position, const char* message, ...);

// --- Text decoding (xml_text_decoding.cpp) ---

int EncodeUtf8(std::int64_t value, unsigned char* out);
char* DecodeXmlText(XmlParser& parser, char* text, char* const* entities, char mode);

// --- Entities and their budgets (xml_entities.cpp) ---

void SetPredefinedEntities(XmlDocument* doc);
void StartEntityBudgets(XmlParser& parser, std::size_t size);
std::size_t FindEntity(XmlParser& parser, char* const* entities, const char* at);
char* DeclareEntity(XmlParser& parser, char* p, char* end, char**& parameters,
                    std::size_t& parameterCount);

// --- ATTLIST declarations and the entry lists (xml_attlist.cpp) ---

std::size_t FindEntry(char*** list, const char* name);
std::size_t AppendEntry(XmlParser& parser, char***& list, std::size_t& count, char** entry);
const char* FindDeclaredDefault(char** entry, const char* attribute, bool& found);
char DeclaredMode(char** entry, const char* attribute);
char* DeclareAttributes(XmlParser& parser, char* p, char* end);

// --- DOCTYPE and its internal subset (xml_doctype.cpp) ---

char* ParseDoctype(XmlParser& parser, char* d);

// --- Processing instructions (xml_instructions.cpp) ---

bool ProcessInstruction(XmlParser& parser, char* text, char* end);
char* ParseInstruction(XmlParser& parser, char* d);

// --- Attribute lists of elements (xml_attributes.cpp) ---

struct AttributeBuilder {
    char** pairs;
    unsigned char* flags;
    std::size_t count;
    std::size_t capacity;
};

void FreeAttributeBuilder(AttributeBuilder& builder);
bool AddAttribute(XmlParser& parser, AttributeBuilder& builder, char* name, char* value,
                  unsigned char flag);
char** PackAttributes(XmlParser& parser, AttributeBuilder& builder);
void FreeAttributes(char** list);

// --- Elements: building and linking (xml_elements.cpp) ---

bool AddXmlText(XmlParser& parser, char* bytes, std::size_t length, char mode);
void CloseFrame(OpenFrame& frame);
bool OpenElement(XmlParser& parser, char* name, char** attributes);
void CloseElement(XmlParser& parser);

// --- Start and end tags (xml_tags.cpp) ---

char* ParseStartTag(XmlParser& parser, char* d);
char* ParseEndTag(XmlParser& parser, char* d);

// --- UTF-16 input (xml_utf16.cpp) ---

char* Utf16ToUtf8(XmlParser& parser, const char* buffer, std::size_t length, std::size_t& size);

// --- The markup loop (xml_lexer.cpp) ---

void Parse(XmlParser& parser, char* buffer, std::size_t length);

} // namespace xml
