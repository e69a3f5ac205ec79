#pragma once

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace veltrona {

// The control texts a language file sets, kept apart from the windows so a language can be loaded
// before (or without) any window existing. Each window applies the entries of its class when it
// is built and again after a language load.
class CaptionStore {
public:
    // The control name that stands for the window's own caption.
    static constexpr const char* WindowCaption = "";

    using ControlKey = std::pair<std::string, std::string>;       // window class, control
    using IndexedKey = std::tuple<std::string, std::string, int>; // window, control, index

    // Captions of controls (and, with WindowCaption, of the window itself).
    void setCaption(const std::string& window, const std::string& control, std::string text);
    std::optional<std::string> caption(const std::string& window, const std::string& control) const;

    // Menu and pop-up menu items, by the window that owns the menu and the item name.
    void setMenuItem(const std::string& window, const std::string& item, std::string text);
    std::optional<std::string> menuItem(const std::string& window, const std::string& item) const;

    // Column captions of list views; `index` counts from 1 as the columns are numbered on screen.
    void setColumn(const std::string& window, const std::string& list, int index, std::string text);
    std::optional<std::string> column(const std::string& window, const std::string& list,
                                      int index) const;

    // Tab texts of tab controls; `index` counts from 1.
    void setTab(const std::string& window, const std::string& tabControl, int index,
                std::string text);
    std::optional<std::string> tab(const std::string& window, const std::string& tabControl,
                                   int index) const;

    // Titles of file dialogs.
    void setDialogTitle(const std::string& window, const std::string& dialog, std::string text);
    std::optional<std::string> dialogTitle(const std::string& window,
                                           const std::string& dialog) const;

    // Item lists (drop-down items, memo lines) replaced as a whole. nullopt: never set, the
    // control keeps its built-in items.
    void clearItems(const std::string& window, const std::string& control);
    void appendItem(const std::string& window, const std::string& control, std::string text);
    std::optional<std::vector<std::string>> items(const std::string& window,
                                                  const std::string& control) const;

    // Check box states, item visibility and control widths (pixels) to apply.
    void setChecked(const std::string& window, const std::string& control, bool isChecked);
    std::optional<bool> checked(const std::string& window, const std::string& control) const;
    void setVisible(const std::string& window, const std::string& control, bool isVisible);
    std::optional<bool> visible(const std::string& window, const std::string& control) const;
    void setWidth(const std::string& window, const std::string& control, int pixels);
    std::optional<int> width(const std::string& window, const std::string& control) const;

    // Everything stored, for a window applying all entries of its class.
    const std::map<ControlKey, std::string>& captions() const { return captions_; }
    const std::map<ControlKey, std::string>& menuItems() const { return menuItems_; }
    const std::map<IndexedKey, std::string>& columns() const { return columns_; }
    const std::map<IndexedKey, std::string>& tabs() const { return tabs_; }
    const std::map<ControlKey, std::string>& dialogTitles() const { return dialogTitles_; }
    const std::map<ControlKey, std::vector<std::string>>& itemLists() const { return items_; }
    const std::map<ControlKey, bool>& checkedStates() const { return checked_; }
    const std::map<ControlKey, bool>& visibility() const { return visible_; }
    const std::map<ControlKey, int>& widths() const { return widths_; }

    // Counts every change, so a window can tell whether it must apply the store again.
    unsigned long generation() const { return generation_; }

private:
    std::map<ControlKey, std::string> captions_;
    std::map<ControlKey, std::string> menuItems_;
    std::map<IndexedKey, std::string> columns_;
    std::map<IndexedKey, std::string> tabs_;
    std::map<ControlKey, std::string> dialogTitles_;
    std::map<ControlKey, std::vector<std::string>> items_;
    std::map<ControlKey, bool> checked_;
    std::map<ControlKey, bool> visible_;
    std::map<ControlKey, int> widths_;
    unsigned long generation_ = 0;
};

} // namespace veltrona
