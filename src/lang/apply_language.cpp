// Applying a language to windows and menus, and the language menu (see apply_language.h).
#include "lang/apply_language.h"

#include <commctrl.h>

#include <cstring>

#include "lang/language_catalogue.h"
#include "lang/language_rules.h"
#include "lang/utf8_text.h"
#include "lang/xml_reader.h"

namespace {

constexpr int kControlTextCapacity = 256;

// A window or a menu: each kind of Control entry acts on one of them; the other's calls would
// fail anyway, so entries that do not fit the target change nothing.
struct Target {
    HWND window;
    HMENU menu;
};

const XmlElement* FindSection(const char* name) {
    const XmlElement* language = ActiveLanguageElement();
    for (const XmlElement* section = XmlChild(language, "Section"); section != nullptr;
         section = section->nextSameName) {
        const char* sectionName = XmlAttr(section, "name");
        if (sectionName != nullptr && std::strcmp(sectionName, name) == 0) {
            return section;
        }
    }
    return nullptr;
}

void SetTitle(const Target& target, const XmlElement* section) {
    const char* title = XmlAttr(section, "text");
    if (target.window == nullptr || title == nullptr || *title == '\0') {
        return;
    }
    if (wchar_t* wide = Utf8ToWideAlloc(title)) {
        SetWindowTextW(target.window, wide);
        delete[] wide;
    }
}

void SetTabTitles(HWND tabs, const wchar_t* text) {
    ForEachTabTitle(Utf16View(text), [tabs](int index, Utf16View title) {
        wchar_t buffer[kTabTitleCapacity] = {};
        std::memcpy(buffer, title.data(), title.size() * sizeof(wchar_t));
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = buffer;
        item.cchTextMax = kTabTitleCapacity;
        SendMessageW(tabs, TCM_SETITEMW, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item));
    });
}

void ApplyControl(const Target& target, const XmlElement* control) {
    const char* id = XmlAttr(control, "id");
    const char* className = XmlAttr(control, "class");
    if (id == nullptr || *id == '\0' || className == nullptr) {
        return;
    }
    const int identifier = ParseControlId(id);
    wchar_t text[kControlTextCapacity] = {};
    Utf8ToWideInto(control->text != nullptr ? control->text : "", text, kControlTextCapacity);
    switch (ControlClassOf(className)) {
    case ControlClass::Static:
    case ControlClass::Button:
        if (target.window != nullptr) {
            SetDlgItemTextW(target.window, identifier, text);
        }
        break;
    case ControlClass::TabCtrl:
        if (target.window != nullptr) {
            if (HWND tabs = GetDlgItem(target.window, identifier)) {
                SetTabTitles(tabs, text);
            }
        }
        break;
    case ControlClass::Menu:
        if (target.menu != nullptr) {
            ModifyMenuW(target.menu, static_cast<UINT>(identifier), MF_BYCOMMAND | MF_STRING,
                        static_cast<UINT_PTR>(static_cast<UINT>(identifier)), text);
        }
        break;
    case ControlClass::Other:
        break;
    }
}

void Apply(const char* sectionName, const Target& target) {
    if ((target.window == nullptr && target.menu == nullptr) || sectionName == nullptr ||
        *sectionName == '\0' || ActiveLanguageElement() == nullptr) {
        return;
    }
    const XmlElement* section = FindSection(sectionName);
    if (section == nullptr) {
        return;
    }
    SetTitle(target, section);
    for (const XmlElement* control = XmlChild(section, "Control"); control != nullptr;
         control = control->nextSameName) {
        ApplyControl(target, control);
    }
}

} // namespace

void ApplyLanguage(const char* section, HWND window) {
    Apply(section, {window, nullptr});
}
void ApplyLanguage(const char* section, HMENU menu) {
    Apply(section, {nullptr, menu});
}

INT_PTR ShowLanguageMenu(HWND optionsDialog) {
    POINT cursor = {};
    GetCursorPos(&cursor);
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        return 1;
    }
    const LanguageEntry& current = CurrentLanguage();
    UINT position = 0;
    for (const LanguageEntry* entry = LanguageCatalogue(); entry != nullptr;
         entry = entry->next, ++position) {
        const bool checked = std::memcmp(entry, &current, kStoredLanguageSize) == 0;
        InsertMenuW(menu, position, MF_BYPOSITION | MF_STRING | (checked ? MF_CHECKED : 0),
                    kFirstLanguageCommand + position, entry->displayName);
    }
    TrackPopupMenu(menu, 0, cursor.x, cursor.y, 0, optionsDialog, nullptr);
    DestroyMenu(menu);
    return 1;
}
