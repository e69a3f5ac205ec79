#pragma once

#include "platform/Shell.h"

#include <vector>

namespace veltrona {

class RecordingShell : public Shell {
public:
    void open(const std::filesystem::path& document) override { opened.push_back(document); }
    bool moveToTrash(const std::filesystem::path& tree) override {
        trashed.push_back(tree);
        return trashResult;
    }
    std::vector<std::filesystem::path> opened;
    std::vector<std::filesystem::path> trashed;
    bool trashResult = true;
};

} // namespace veltrona
