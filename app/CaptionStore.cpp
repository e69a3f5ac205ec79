#include "app/CaptionStore.h"

namespace veltrona {

namespace {

template <class Map, class Key>
auto lookUp(const Map& map, const Key& key) -> std::optional<typename Map::mapped_type> {
    const auto it = map.find(key);
    if (it == map.end())
        return std::nullopt;
    return it->second;
}

} // namespace

void CaptionStore::setCaption(const std::string& window, const std::string& control,
                              std::string text) {
    captions_[{window, control}] = std::move(text);
    ++generation_;
}

std::optional<std::string> CaptionStore::caption(const std::string& window,
                                                 const std::string& control) const {
    return lookUp(captions_, ControlKey{window, control});
}

void CaptionStore::setMenuItem(const std::string& window, const std::string& item,
                               std::string text) {
    menuItems_[{window, item}] = std::move(text);
    ++generation_;
}

std::optional<std::string> CaptionStore::menuItem(const std::string& window,
                                                  const std::string& item) const {
    return lookUp(menuItems_, ControlKey{window, item});
}

void CaptionStore::setColumn(const std::string& window, const std::string& list, int index,
                             std::string text) {
    columns_[{window, list, index}] = std::move(text);
    ++generation_;
}

std::optional<std::string> CaptionStore::column(const std::string& window, const std::string& list,
                                                int index) const {
    return lookUp(columns_, IndexedKey{window, list, index});
}

void CaptionStore::setTab(const std::string& window, const std::string& tabs, int index,
                          std::string text) {
    tabs_[{window, tabs, index}] = std::move(text);
    ++generation_;
}

std::optional<std::string> CaptionStore::tab(const std::string& window, const std::string& tabs,
                                             int index) const {
    return lookUp(tabs_, IndexedKey{window, tabs, index});
}

void CaptionStore::setDialogTitle(const std::string& window, const std::string& dialog,
                                  std::string text) {
    dialogTitles_[{window, dialog}] = std::move(text);
    ++generation_;
}

std::optional<std::string> CaptionStore::dialogTitle(const std::string& window,
                                                     const std::string& dialog) const {
    return lookUp(dialogTitles_, ControlKey{window, dialog});
}

void CaptionStore::clearItems(const std::string& window, const std::string& control) {
    items_[{window, control}].clear();
    ++generation_;
}

void CaptionStore::appendItem(const std::string& window, const std::string& control,
                              std::string text) {
    items_[{window, control}].push_back(std::move(text));
    ++generation_;
}

std::optional<std::vector<std::string>> CaptionStore::items(const std::string& window,
                                                            const std::string& control) const {
    return lookUp(items_, ControlKey{window, control});
}

void CaptionStore::setChecked(const std::string& window, const std::string& control,
                              bool isChecked) {
    checked_[{window, control}] = isChecked;
    ++generation_;
}

std::optional<bool> CaptionStore::checked(const std::string& window,
                                          const std::string& control) const {
    return lookUp(checked_, ControlKey{window, control});
}

void CaptionStore::setVisible(const std::string& window, const std::string& control,
                              bool isVisible) {
    visible_[{window, control}] = isVisible;
    ++generation_;
}

std::optional<bool> CaptionStore::visible(const std::string& window,
                                          const std::string& control) const {
    return lookUp(visible_, ControlKey{window, control});
}

void CaptionStore::setWidth(const std::string& window, const std::string& control, int pixels) {
    widths_[{window, control}] = pixels;
    ++generation_;
}

std::optional<int> CaptionStore::width(const std::string& window,
                                       const std::string& control) const {
    return lookUp(widths_, ControlKey{window, control});
}

} // namespace veltrona
