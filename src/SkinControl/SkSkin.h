#pragma once
// The skin cache of an engine: skin files registered by their file name (without folder, letter
// case ignored), each with the theme link that loads it.

#include <memory>
#include <string>
#include <vector>

class TThemeLink;
class QWidget;

struct AExEngine {
    std::string FileName;             // without folder
    std::unique_ptr<TThemeLink> Link; // loads the skin file
};

class TSkSkin {
public:
    explicit TSkSkin(QWidget* owner);
    ~TSkSkin();
    // True when it added an entry: false for an empty path or a file name already held.
    bool RegisterSkin(const std::string& path);
    TThemeLink* FindSkin(const std::string& name) const;
    const std::vector<AExEngine>& SkinEntries() const { return Entries; }

private:
    QWidget* Owner;
    std::vector<AExEngine> Entries;
};
