// The text of the program's one error box (ShowErrorMessage in settings/registry_store.h):
// the caller's text, ": " and the system's message for an error code, within 511 units.
#pragma once

#include <span>

#include "settings/text_unit.h"

constexpr std::size_t kErrorTextUnits = 512;

// Writes text, then ": " and systemText, cut so that the whole stays within 511 units and is
// zero-terminated. A text longer than 511 units is cut to 511.
void ComposeErrorText(Utf16View text, Utf16View systemText,
                      std::span<Utf16Unit, kErrorTextUnits> out);
