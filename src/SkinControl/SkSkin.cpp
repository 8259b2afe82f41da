#include "SkinControl/SkSkin.h"

#include "platform/Codec1251.h"
#include "platform/Skin.h"

namespace {

// The file name of a path, either separator.
std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

TSkSkin::TSkSkin(QWidget* owner) : Owner(owner) {
}

TSkSkin::~TSkSkin() = default;

bool TSkSkin::RegisterSkin(const std::string& path) {
    if (path.empty())
        return false;
    const std::string name = FileNameOf(path);
    for (const AExEngine& entry : Entries)
        if (cp1251::EqualNoCase(entry.FileName, name))
            return false;
    Entries.push_back(AExEngine{name, std::make_unique<TThemeLink>(path)});
    return true;
}

TThemeLink* TSkSkin::FindSkin(const std::string& name) const {
    const std::string fileName = FileNameOf(name);
    for (const AExEngine& entry : Entries)
        if (cp1251::EqualNoCase(entry.FileName, fileName))
            return entry.Link.get();
    return nullptr;
}
