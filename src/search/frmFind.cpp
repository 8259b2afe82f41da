#include "search/frmFind.h"

#include "SkinControl/SkInputs.h"
#include "SkinControl/SkLabel.h"
#include "SkinControl/SkSimple.h"
#include "engine/SkCommand.h"
#include "engine/SkStract.h"
#include "platform/Codec1251.h"
#include "platform/Modal.h"
#include "platform/QtText.h"
#include "platform/Services.h"
#include "search/DiscSearch.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QSignalBlocker>

#include <algorithm>
#include <climits>
#include <exception>

namespace {

std::string Ru(const char* utf8) {
    return cp1251::FromUtf8(utf8);
}

bool IsChecked(TSkRadioButton* button) {
    return button && button->isChecked();
}

} // namespace

TfrmFind::TfrmFind(TSkForm* owner, TFindHost* host)
    : TSkForm(owner, QRect(0, 0, 696, 480)), Host(host) {
    SetCaption(Ru("Поиск"));
    FEngine = std::make_unique<TSkStract>(this, "struct_find.txt");
    FEngine->OnAction = [this](const RHelpAction& action) { DoAction(action); };
    FEngine->OnUnknownObject = [this](QWidget*, const std::string& name, const TStrings&,
                                      const std::string&) { UnknownObject(name); };
    // A malformed value ends the build at its object; what was built still serves.
    RunGuarded([this] {
        FEngine->LoadStructure();
        FEngine->Activate();
    });
    FProgress = FEngine->GetProgressBar("rogress");
    FFindBox = FEngine->GetComboBox("cb_find");
    FResults = FEngine->GetListBox("list_rez");
    if (FFindBox) {
        // The box's action runs when Enter is released in it, not on every change of its text.
        FFindBox->HeldChange = FFindBox->Events.OnChange;
        FFindBox->DetachChange();
    }
    if (FResults) {
        connect(FResults, &QListWidget::itemClicked, this,
                [this] { RunGuarded([this] { ResultClick(); }); });
        FResults->installEventFilter(this);
    }
}

TfrmFind::~TfrmFind() {
    FEngine.reset(); // the engine and its objects go before the window
}

int TfrmFind::Execute() {
    SetMessage({});
    return ShowModal();
}

void TfrmFind::DoAction(const RHelpAction& action) {
    const TSkCommand command(action.Command);
    if (command.Count() == 0)
        return;
    const std::string& name = command.Items().front().Name;
    if (name == "find_start")
        StartSearch();
    else if (name == "load")
        close();
    else
        Dialogs().ShowMessage(name);
}

void TfrmFind::UnknownObject(const std::string& name) {
    Dialogs().ShowMessage(Ru("Неизвестный контрол:") + name);
}

void TfrmFind::SetMessage(const std::string& text) {
    if (TSkLabel* label = FEngine->GetLabel("lb_message"))
        label->SetFullCaption(text);
}

void TfrmFind::InsertSearchText(const std::string& text) {
    // Every search goes to the top, repeated or not; the box keeps showing the text.
    const QSignalBlocker quiet(FFindBox.data());
    FFindBox->insertItem(0, ToQString(text));
    FFindBox->ItemValues.insert(FFindBox->ItemValues.begin(), std::string());
    FFindBox->Values.insert(FFindBox->Values.begin(), std::string());
    FFindBox->setCurrentIndex(0);
}

void TfrmFind::StartSearch() {
    if (FRunning) {
        // We are inside the running search's progress step: any press is a stop request. It
        // starts nothing and keeps the search text, which the results found so far belong to.
        FSearching = false;
        return;
    }
    const std::string text = FFindBox ? FromQString(FFindBox->currentText()) : std::string();
    if (text.empty()) {
        FSearching = false;
        return;
    }
    FSearching = true;
    InsertSearchText(text);
    FFindText = cp1251::Lower(text);
    try {
        if (IsChecked(FEngine->GetRadioButton("rb_cur")))
            SearchCurrent();
        else if (IsChecked(FEngine->GetRadioButton("rb_all")))
            SearchAll();
    } catch (...) {
        // A failed search ends quietly; what it found is shown.
    }
    FSearching = false;
}

void TfrmFind::SearchCurrent() {
    const bool found = Host && Host->FindInDocument(FFindText);
    SetMessage(found ? std::string() : Ru("Поиск не дал результата"));
}

void TfrmFind::SearchAll() {
    if (!FSearching || FRunning)
        return;
    SetMessage({});
    TDiscSearch search(FFindText);
    FRunning = true;
    std::exception_ptr error;
    try {
        const TStrings lines = ReadSearchIndex();
        if (!lines.empty()) {
            if (FResults)
                FResults->ClearItems();
            // The bar's range is the number of documents, so it is full when all are searched.
            const int maximum = static_cast<int>(std::min<size_t>(lines.size(), INT_MAX));
            if (FProgress) {
                FProgress->setRange(0, maximum);
                FProgress->setValue(0);
            }
            search.OnProgress = [this, maximum](size_t processed) {
                if (FProgress)
                    FProgress->setValue(static_cast<int>(std::min<size_t>(processed, maximum)));
                // The window answers here: a second press, or a close request, stops the search.
                QCoreApplication::processEvents();
                return FSearching;
            };
            search.Run(lines);
        }
    } catch (...) {
        error = std::current_exception();
    }
    FinishSearch(&search);
    if (error)
        std::rethrow_exception(error);
}

void TfrmFind::FinishSearch(const TDiscSearch* search) {
    FRunning = false;
    const TStrings& hits = search->Hits;
    if (FResults) {
        TStrings shown;
        shown.reserve(hits.size());
        for (const std::string& line : hits) {
            const TIndexLine parts = SplitIndexLine(line);
            // A line without a title would be an empty row: its document name stands in.
            if (parts.Title.empty())
                shown.push_back(std::string(parts.Name) + "#;#" + std::string(parts.Name));
            else
                shown.push_back(line);
        }
        FResults->LoadLines(shown, false);
    }
    SetMessage(hits.empty() ? Ru("Поиск не дал результата") : std::string());
    if (FProgress)
        FProgress->setValue(0);
    FSearching = false;
    if (FCloseRequested) {
        FCloseRequested = false;
        close();
    }
}

void TfrmFind::ResultClick() {
    if (!FResults)
        return;
    const int index = FResults->ItemIndex();
    if (index < 0)
        return;
    const std::string name = cp1251::Lower(FResults->GetValue(index));
    if (!Host)
        return;
    if (name != Host->CurrentDocument())
        Host->OpenDocument(name);
    Host->FindInDocument(FFindText);
}

void TfrmFind::closeEvent(QCloseEvent* event) {
    if (FRunning) {
        // Closing in the middle would leave the search running behind a hidden window.
        FCloseRequested = true;
        FSearching = false;
        event->ignore();
        return;
    }
    TSkForm::closeEvent(event);
}

bool TfrmFind::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FResults.data() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
            RunGuarded([this] { ResultClick(); });
            return true;
        }
    }
    return TSkForm::eventFilter(watched, event);
}
