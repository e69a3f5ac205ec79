#pragma once

#include <filesystem>

namespace veltrona {

// The desktop shell: open a document with its associated program, move a tree to the trash.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void open(const std::filesystem::path& document) = 0;
    // True when the tree was moved.
    virtual bool moveToTrash(const std::filesystem::path& tree) = 0;
};

} // namespace veltrona
