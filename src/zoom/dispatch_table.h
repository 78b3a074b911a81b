// First-match lookup in the (key, handler) tables that drive the program's windows: the main
// window's message and command tables and, later, the dialogs'. A key that occurs twice is
// handled by its first row only.
#pragma once

#include <cstdint>
#include <span>

template <typename Handler>
struct DispatchRow {
    uint32_t key;
    Handler handler;
};

template <typename Handler>
constexpr const DispatchRow<Handler>* FindDispatchRow(std::span<const DispatchRow<Handler>> table,
                                                      uint32_t key) {
    for (const auto& row : table) {
        if (row.key == key) {
            return &row;
        }
    }
    return nullptr;
}
