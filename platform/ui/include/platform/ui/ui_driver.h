// Acting on windows as a person would, through the same messages real input produces, and
// reading their state back.
//
// Mouse and keyboard input is posted to the window under it and then handled by the message pump
// (so pre-translate hooks see it). Input to a control that is hidden or disabled, itself or
// through a parent, goes nowhere: the call returns false and the transcript says so.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/window_api.h"

namespace platform::ui {

class UiDriver {
public:
    explicit UiDriver(HWND root);

    HWND Root() const { return root_; }
    // The control with this id below the root (depth first, a visible one first), or null.
    HWND Item(int id) const;

    // Replaces the text of an edit, combo box or rich edit as typing would (focus, select all,
    // new text, change notification).
    bool SetText(int id, std::string_view gbk);
    // Types characters into the control that has the focus after clicking it.
    bool Type(int id, std::string_view gbk);
    bool Click(int id);
    bool DoubleClick(int id);
    // Moves the pointer over the control (WM_MOUSEMOVE at its centre).
    bool Hover(int id);
    bool ClickAt(HWND hwnd, POINT client, bool doubleClick = false);
    // Clicks a check box or radio button until it shows the state.
    bool Check(int id, bool checked);
    // Clicks the tab of that index.
    bool ChooseTab(int id, int index);
    // Selects the entry of a list box or combo box as a click in its list would.
    bool ChooseEntry(int id, int index);
    // List views: clicks on a cell, its check box, or a column header.
    bool ClickListCell(int id, int row, int column, bool doubleClick = false);
    bool ToggleListCheck(int id, int row);
    bool ClickColumnHeader(int id, int column);
    // Rich edit or edit: double-clicks the character at a text position (bytes in GBK text).
    bool DoubleClickTextAt(int id, int position);
    // Up-down: one arrow click (+1 up, -1 down).
    bool Spin(int id, int delta);
    // Key press to the focus window (or the given control after focusing it): key down, up.
    bool PressKey(UINT virtualKey, bool ctrl = false, bool shift = false);
    bool PressKeyIn(int id, UINT virtualKey, bool ctrl = false, bool shift = false);

    // Handles pending messages; WaitFor also lets timers run for that long (on the virtual
    // clock, by moving it).
    void Pump();
    void WaitFor(unsigned milliseconds);
    // Pumps until the control shows the text (a list box: until one of its lines holds it; work on
    // other threads reports by messages), at
    // most limit milliseconds of real time; on the virtual clock the clock moves along with it.
    // False, with the text it shows in the transcript, when it never does.
    bool WaitUntilText(int id, std::string_view gbk, unsigned limit = 10000);

    // Reading back.
    std::string Text(int id) const;
    bool Exists(int id) const;
    bool IsChecked(int id) const;
    bool IsEnabled(int id) const;
    bool IsVisible(int id) const;
    // One line per window of the tree: class, id, text, state.
    std::vector<std::string> Describe() const;

    // Runs one action written as in scripts: set ID TEXT, type ID TEXT, click ID, dblclick ID,
    // check ID, uncheck ID, hover ID, tab ID INDEX, choose ID INDEX, cell ID ROW COL, dblcell ID ROW COL,
    // checkrow ID ROW, header ID COL, textdbl ID POS, spin ID DELTA, key NAME (enter, escape,
    // tab, delete, left, right, up, down, space, back, ctrl+X), wait MS, until ID TEXT. False with a message when
    // the action is not understood or has no effect.
    bool Run(const std::string& action, std::string* error = nullptr);

    // Whether a person could reach the window: it and its parents visible and enabled.
    static bool Reachable(HWND hwnd);

private:
    bool Usable(HWND hwnd, int id, const char* action) const;
    HWND root_;
};

// Splits "a; b; c" into actions, honouring "double quotes".
std::vector<std::string> SplitActions(const std::string& text);

}  // namespace platform::ui
