#include "engine/SkCommand.h"

#include "platform/Codec1251.h"
#include "platform/Services.h"

void TSkCommand::Parse(const std::string& text) {
    List.clear();
    std::string working = text;
    do {
        std::string paramText = SplitHead(working, "//");
        std::string name = SplitHead(paramText, "*");
        if (name.empty())
            continue;
        RCommand& command = List.emplace_back();
        command.Name = cp1251::Lower(name);
        command.ParamText = paramText;
        command.Rest = working;
        while (!paramText.empty()) {
            std::string param = SplitHead(paramText, "*");
            if (!param.empty())
                command.Params.push_back(std::move(param));
        }
    } while (!working.empty());
}

std::string TSkCommand::CommandText(int i) const {
    if (i < 0 || i >= Count())
        return {};
    const RCommand& command = List[static_cast<size_t>(i)];
    std::string result = command.Name;
    for (const std::string& param : command.Params) {
        result += '*';
        result += param;
    }
    return result;
}

std::string GetParam(const TStrings& params, int n) {
    if (n < 0 || static_cast<size_t>(n) >= params.size())
        return {};
    const std::string& param = params[static_cast<size_t>(n)];
    std::string lowered = cp1251::Lower(param);
    if (SplitHead(lowered, "(") != "open_file")
        return param;
    const std::string extension = SplitHead(lowered, ")");
    return Dialogs().OpenFileDialog("*" + extension);
}
