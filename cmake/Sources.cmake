# The source lists of both builds. Platform-free files never include <windows.h>; they build
# natively under sanitizers and inside the Windows program alike.

set(VISTREL_PORTABLE_SOURCES
    src/settings/settings_table.cpp
    src/settings/stored_value.cpp
    src/settings/error_text.cpp
    src/shell/command_line.cpp
    src/shell/relaunch_rules.cpp
    src/zoom/hotkey_value.cpp
    src/zoom/zoom_levels.cpp
    src/zoom/zoom_geometry.cpp
    src/zoom/view_scaler.cpp
    src/draw/draw_geometry.cpp
    src/draw/highlight_blend.cpp
    src/draw/typing_rules.cpp
    src/output/file_names.cpp
    src/breaktimer/break_rules.cpp
    src/lang/xml/xml_document.cpp
    src/lang/xml/xml_lexer.cpp
    src/lang/xml/xml_tags.cpp
    src/lang/xml/xml_elements.cpp
    src/lang/xml/xml_attributes.cpp
    src/lang/xml/xml_text_decoding.cpp
    src/lang/xml/xml_entities.cpp
    src/lang/xml/xml_doctype.cpp
    src/lang/xml/xml_attlist.cpp
    src/lang/xml/xml_instructions.cpp
    src/lang/xml/xml_utf16.cpp
    src/lang/xml/xml_errors.cpp
    src/options/options_rules.cpp
    src/shared/dialog_rules.cpp
    src/livezoom/live_zoom_rules.cpp
    src/lang/language_rules.cpp
    src/lang/utf8_text.cpp
)

set(VISTREL_WINDOWS_SOURCES
    src/settings/registry_store.cpp
    src/shell/optional_functions.cpp
    src/shell/single_instance.cpp
    src/shell/startup.cpp
    src/shell/relaunch.cpp
    src/zoom/app_state.cpp
    src/zoom/hotkeys.cpp
    src/zoom/main_window.cpp
    src/tray/tray_commands.cpp
    src/options/options_dialog.cpp
    src/options/option_pages.cpp
    src/options/font_dialog.cpp
    src/zoom/monitor_view.cpp
    src/zoom/zoom_view.cpp
    src/zoom/hotkey_actions.cpp
    src/draw/undo_stack.cpp
    src/draw/sticky_keys.cpp
    src/draw/pen_state.cpp
    src/draw/highlighter.cpp
    src/draw/pen.cpp
    src/draw/strokes.cpp
    src/draw/draw_keys.cpp
    src/draw/stylus.cpp
    src/draw/typing.cpp
    src/output/copy_save.cpp
    src/shared/picture_files.cpp
    src/breaktimer/break_screen.cpp
    src/shared/dialog_controls.cpp
    src/draw/advanced_draw_dialog.cpp
    src/breaktimer/advanced_break_dialog.cpp
    src/lang/apply_language.cpp
    src/lang/language_catalogue.cpp
    src/livezoom/live_zoom_window.cpp
    src/shared/clock.cpp
)

set(VISTREL_ENTRY_SOURCES src/shell/main.cpp)
set(VISTREL_RESOURCE_SOURCES src/res/vistrel.rc)

# Tests of the platform-free code: built natively under sanitizers.
set(VISTREL_PORTABLE_TESTS
    tests/settings/settings_store_test.cpp
    tests/shell/shell_rules_test.cpp
    tests/zoom/zoom_rules_test.cpp
    tests/draw/draw_rules_test.cpp
    tests/output/file_names_test.cpp
    tests/breaktimer/break_rules_test.cpp
    tests/lang/xml_reader_test.cpp
    tests/options/options_rules_test.cpp
    tests/livezoom/live_zoom_rules_test.cpp
    tests/lang/language_rules_test.cpp
)

# Tests against the real Windows API, one program each, run under Wine: name:source:timeout,
# with ":each" for one ctest entry per test (cmake/WindowsBuild.cmake).
set(VISTREL_WINDOWS_TEST_PROGRAMS
    settings_wintest:tests/settings/registry_store_wintest.cpp:30
    main_window_wintest:tests/zoom/main_window_wintest.cpp:30
    # The shell's tests carry the stand-in child, as the 32-bit program carries the 64-bit one.
    relaunch_wintest:tests/shell/shell_wintest.cpp:30
    tray_wintest:tests/tray/tray_wintest.cpp:30
    leaks_wintest:tests/zoom/leaks_wintest.cpp:90:each
    drawing_wintest:tests/draw/drawing_wintest.cpp:45
    pen_marker_wintest:tests/draw/pen_marker_wintest.cpp:45:each
    input_wintest:tests/draw/input_wintest.cpp:45
    language_wintest:tests/lang/language_wintest.cpp:30
    advanced_draw_wintest:tests/draw/advanced_draw_wintest.cpp:30
    advanced_break_wintest:tests/breaktimer/advanced_break_wintest.cpp:30
    livezoom_wintest:tests/livezoom/live_zoom_wintest.cpp:30
    screen_and_clock_wintest:tests/zoom/screen_and_clock_wintest.cpp:30
    options_wintest:tests/options/options_wintest.cpp:30
    output_wintest:tests/output/output_wintest.cpp:30
)

# End-to-end tests: each program starts dist/Vistrel64.exe in a Wine virtual desktop and drives
# it from outside only.
set(VISTREL_E2E_TEST_PROGRAMS
    startup_e2e:tests/e2e/startup_e2e.cpp:45
    carrier_e2e:tests/e2e/carrier_e2e.cpp:30
    zoom_e2e:tests/e2e/zoom_e2e.cpp:60
    draw_e2e:tests/e2e/draw_e2e.cpp:45
    type_save_e2e:tests/e2e/type_save_e2e.cpp:45
    break_e2e:tests/e2e/break_e2e.cpp:45
    language_e2e:tests/e2e/language_e2e.cpp:45:each
    livezoom_e2e:tests/e2e/livezoom_e2e.cpp:45:each
    tray_e2e:tests/e2e/tray_e2e.cpp:45
    monitors_e2e:tests/e2e/monitors_e2e.cpp:90:each
)
set(VISTREL_E2E_SUPPORT_SOURCES tests/e2e/driver.cpp tests/e2e/view_checks.cpp)
# The tour that tools/run plays without a display, driven like the end-to-end tests.
set(VISTREL_TOUR_SOURCES tests/e2e/tour.cpp)
set(VISTREL_WINDOWS_TEST_SUPPORT_SOURCES tests/support/message_box_watcher.cpp
    tests/support/unwritable_folder.cpp
    tests/support/main_window_fixture.cpp
    tests/support/dialog_runner.cpp
    tests/support/png_file.cpp
    tests/support/stored_settings.cpp
    tests/support/mode_cycles.cpp
    tests/support/system_stand_ins.cpp)
