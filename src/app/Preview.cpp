#include "app/Preview.h"

#include "app/SkForm.h"
#include "engine/SkStract.h"
#include "platform/Codec1251.h"
#include "platform/Controls.h"
#include "platform/MemoryServices.h"
#include "platform/Modal.h"

#include <QApplication>
#include <QPixmap>

#include <memory>
#include <ostream>

namespace {

// Messages of a run without a reader in front of it: one line each on the error stream, and
// every question answered "no".
class TLineDialogs : public TDialogService {
public:
    explicit TLineDialogs(std::ostream& stream) : Stream(stream) {}
    void ShowMessage(const std::string& text, const TFontSpec* = nullptr) override { Line(text); }
    void ShowError(const std::string& text) override { Line(text); }
    bool Confirm(const std::string& text) override {
        Line(text);
        return false;
    }
    std::string OpenFileDialog(const std::string&) override { return {}; }
    std::string SaveFileDialog(const std::string&, const std::string&,
                               const std::string&) override {
        return {};
    }

private:
    void Line(const std::string& text) {
        std::string flat;
        for (char c : text) {
            if (c == '\r')
                continue;
            flat += c == '\n' ? ' ' : c;
        }
        Stream << cp1251::ToUtf8(flat) << std::endl;
    }
    std::ostream& Stream;
};

std::string FormSectionName(const TSkStract& engine) {
    std::string name;
    if (engine.Structure)
        for (const TIniSection& section : engine.Structure->Sections())
            if (const TIniLine* type = section.FindKey("type");
                type && cp1251::EqualNoCase(type->Value, "form"))
                name = section.Name; // the last one names the window
    return name;
}

std::string ParentName(const TSkStract& engine, const QObject* object,
                       const std::string& formName) {
    for (const QObject* up = object->parent(); up; up = up->parent())
        if (engine.TypeOf(up) >= 0)
            return engine.SectionOf(up);
    return formName;
}

} // namespace

std::vector<std::string> DumpLines(const TSkStract& engine) {
    std::vector<std::string> lines;
    const std::string formName = FormSectionName(engine);
    for (const auto& entry : engine.AllObjects()) {
        const QObject* object = entry.data();
        if (!object)
            continue;
        const auto* widget = qobject_cast<const QWidget*>(object);
        const QRect bounds = widget ? GetBounds(widget) : QRect();
        const int type = engine.TypeOf(object);
        std::string line = engine.SectionOf(object);
        for (const std::string& field :
             {std::string(type >= 0 ? TypeKeyword(static_cast<TObjectType>(type)) : ""),
              ParentName(engine, object, formName), std::to_string(bounds.left()),
              std::to_string(bounds.top()), std::to_string(bounds.width()),
              std::to_string(bounds.height()), std::string(widget && IsShown(widget) ? "1" : "0"),
              std::string(widget && !widget->testAttribute(Qt::WA_ForceDisabled) ? "1" : "0")})
            line += '\t' + field;
        lines.push_back(cp1251::ToUtf8(line));
    }
    return lines;
}

int RunPreview(const TPreviewRequest& request, std::ostream& out, std::ostream& err) {
    const bool unattended = request.Dump || !request.Shot.empty();
    // Unattended runs report on the error stream, close every modal window at once and leave the
    // user's stored positions and favorites alone.
    TLineDialogs lineDialogs(err);
    TMemorySettings scratchSettings;
    std::unique_ptr<TDialogsGuard> dialogsGuard;
    std::unique_ptr<TSettingsGuard> settingsGuard;
    if (unattended) {
        dialogsGuard = std::make_unique<TDialogsGuard>(&lineDialogs);
        settingsGuard = std::make_unique<TSettingsGuard>(&scratchSettings);
        SetModalRunner([](QWidget* window) { window->close(); });
        SetMenuRunner([](QMenu*, const QPoint&) {});
    }

    int status = 0;
    {
        auto form = std::make_unique<TfrmFORM>();
        auto engine = std::make_unique<TSkStract>(form.get(), request.StructFile);
        // A malformed value ends the build at its object; what was built stays and is shown.
        RunGuarded([&] {
            engine->LoadStructure();
            engine->Activate();
        });
        if (request.Dump) {
            for (const std::string& line : DumpLines(*engine))
                out << line << '\n';
            out.flush();
        } else if (!request.Shot.empty()) {
            form->show();
            QApplication::processEvents();
            if (!form->grab().save(QString::fromStdString(request.Shot), "PNG")) {
                err << "chitalka: cannot write " << request.Shot << '\n';
                status = 1;
            }
        } else {
            form->show();
            status = QApplication::exec();
        }
        engine.reset(); // the engine goes before its window
    }
    if (unattended) {
        SetModalRunner(nullptr);
        SetMenuRunner(nullptr);
    }
    return status;
}
