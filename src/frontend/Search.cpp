#include "frontend/Search.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "frontend/WorkingProgress.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Seams.h"

namespace search {

std::string ModeWord(uint8_t mode) {
  switch (mode) {
    case BySetName: return "rom set";
    case ByCloneOf: return "clone sets";
    case ByManufacturer: return "manufacturer";
    default: return "game";
  }
}

std::string PluralWord(uint8_t mode) {
  switch (mode) {
    case BySetName: return "Romsets";
    case ByCloneOf: return "Clones";
    case ByManufacturer: return "Manufacturers";
    default: return "Games";
  }
}

std::string FilterName(uint8_t mode, Match match, const std::string& text) {
  const char* phrase = match == StartingWith ? " beginning with"
                       : match == Containing ? " containing"
                                             : " matching";
  return PluralWord(mode) + phrase + " \"" + text + "\"";
}

std::string FoundQuestion(size_t count) {
  std::string q = std::to_string(count) + " match" + (count > 1 ? "es" : "") + " found!";
  if (count > 1) q += "\rYou can cycle through them by pressing \"F3\".";
  return q + "\r\rDo you want to create a filter out of the results?";
}

namespace {

const std::string& Field(const GameRecord& g, uint8_t mode) {
  switch (mode) {
    case BySetName: return g.Name.str();
    case ByCloneOf: return g.CloneOf.str();
    case ByManufacturer: return g.Manufacturer.str();
    default: return g.Description.str();
  }
}

char Up(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// `text` is upper case already when the comparison ignores case.
bool SameAt(std::string_view field, size_t at, std::string_view text, bool caseSensitive) {
  if (caseSensitive) return field.compare(at, text.size(), text) == 0;
  for (size_t j = 0; j < text.size(); ++j)
    if (Up(field[at + j]) != text[j]) return false;
  return true;
}

}  // namespace

std::vector<GameRecord*> FindGames(const GameList& games, uint8_t mode, Match match,
                                   const std::string& typed, bool caseSensitive,
                                   const std::function<void(size_t, size_t)>& progress) {
  const std::string text = caseSensitive ? typed : plat::UpperCase(typed);
  std::vector<GameRecord*> found;
  for (size_t i = 0; i < games.size(); ++i) {
    if (progress && (i & 1023) == 0) progress(i, games.size());
    GameRecord* g = games[i].get();
    if (!g || g->Kind != KIND_GAME) continue;
    const std::string& field = Field(*g, mode);
    bool hit = false;
    if (match == Exact) {
      hit = field.size() == text.size() && SameAt(field, 0, text, caseSensitive);
    } else if (text.size() <= field.size()) {
      if (match == StartingWith) {
        hit = SameAt(field, 0, text, caseSensitive);
      } else {
        for (size_t at = 0; !hit && at + text.size() <= field.size(); ++at)
          hit = SameAt(field, at, text, caseSensitive);
      }
    }
    if (hit) found.push_back(g);
  }
  return found;
}

}  // namespace search

TSearchFRM::TSearchFRM(TMainFRM* main) : TDXForm(nullptr), main_(main) {
  setObjectName("SearchFRM");
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  Text2find = new QLineEdit(body);
  Text2find->setObjectName("Text2find");
  auto* label = new QLabel("Text to search for:", body);
  label->setBuddy(Text2find);
  casesensitive = new QCheckBox("C&ase sensitive search", body);
  casesensitive->setObjectName("casesensitive");
  SearchModeBOX = new QGroupBox(body);
  SearchModeBOX->setObjectName("SearchModeBOX");
  auto* modes = new QVBoxLayout(SearchModeBOX);
  Startingwith = new QRadioButton("&Beginning with specified text", SearchModeBOX);
  Containing = new QRadioButton("Con&taining the specified text", SearchModeBOX);
  ExactSearch = new QRadioButton("&Matching the specified text", SearchModeBOX);
  Startingwith->setChecked(true);
  for (QRadioButton* r : {Startingwith, Containing, ExactSearch}) modes->addWidget(r);
  QHBoxLayout* buttons = OkCancelRow(body, OkBTN, CancelBTN);
  layout->addWidget(label);
  layout->addWidget(Text2find);
  layout->addWidget(casesensitive);
  layout->addWidget(SearchModeBOX);
  layout->addLayout(buttons);
  setCentralWidget(body);
  setFixedSize(sizeHint().expandedTo(QSize(340, 0)));

  connect(Text2find, &QLineEdit::textChanged, this, [this] { Text2findChange(); });
  connect(OkBTN, &QPushButton::clicked, this, [this] {
    // An OK-kind button: the window closes after the handler, whatever it did.
    try {
      OkBTNClick();
    } catch (const std::exception& e) {
      main_->ShowMessageBox(e.what(), plat::MB_ICONERROR);
    }
    SetModalResult(mrOk);
  });
  connect(CancelBTN, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

TSearchFRM::~TSearchFRM() = default;

void TSearchFRM::showEvent(QShowEvent* e) {
  TDXForm::showEvent(e);
  CenterOnScreen(this);
  FormShow();
}

void TSearchFRM::FormShow() {
  std::string word = search::ModeWord(Mode);
  setWindowTitle(plat::FromAnsi("Velmora - Search " + word));
  SearchModeBOX->setTitle(plat::FromAnsi(" Search " + word + "... "));
  Text2findChange();
  // As a Windows edit box the dialog opens on: the text is selected, typing replaces it.
  Text2find->selectAll();
}

void TSearchFRM::Text2findChange() { OkBTN->setEnabled(!Text2find->text().trimmed().isEmpty()); }

void TSearchFRM::OkBTNClick() {
  hide();  // the search's progress and questions stand alone
  if (!main_->Games || main_->Games->empty()) return;
  const std::string typed = plat::ToAnsi(Text2find->text());
  const search::Match match = Containing->isChecked()     ? search::Containing
                              : ExactSearch->isChecked() ? search::Exact
                                                         : search::StartingWith;
  std::vector<GameRecord*> found;
  main_->SearchResults.reset();
  {
    WorkingProgress progress(main_, "Searching...");
    found = search::FindGames(*main_->Games, Mode, match, typed, casesensitive->isChecked(),
                              [&progress](size_t d, size_t t) { progress.Set(d, t); });
  }
  if (found.empty()) {
    main_->ShowMessageBox("Sorry, no matches were found.", plat::MB_ICONWARNING);
    return;
  }
  main_->SearchResults = std::make_unique<std::vector<GameRecord*>>(std::move(found));
  const auto& results = *main_->SearchResults;
  if (main_->ShowMessageBox(search::FoundQuestion(results.size()),
                            plat::MB_ICONQUESTION | plat::MB_YESNO) == plat::IDYES) {
    auto filter = types::NewFilterDescriptor();
    filter->Name = search::FilterName(Mode, match, typed);
    for (GameRecord* g : results) {
      auto e = types::NewFilterEntryDescriptor();
      e->Game = g;
      e->Folder.push_back('\\');  // the top level
      filter->Entries->push_back(std::move(e));
    }
    main_->AppendFilter(std::move(filter));
  }
  main_->SearchCursor = 0;
  main_->FindNextMatchACTN->setEnabled(results.size() > 1);
  main_->SelectNextMatch();
}

// ---------------------------------------------------------------------------------------------
// The find actions of the main window.

namespace {

void RunSearch(TMainFRM* main, uint8_t mode, const std::string& preset, bool caseEnabled,
               bool exact) {
  TSearchFRM dialog(main);
  dialog.Mode = mode;
  if (!preset.empty()) dialog.Text2find->setText(plat::FromAnsi(preset));
  if (!caseEnabled) dialog.casesensitive->setChecked(false);
  dialog.casesensitive->setEnabled(caseEnabled);
  if (exact) dialog.ExactSearch->setChecked(true);
  dialog.ShowModal();
}

}  // namespace

void TMainFRM::FindGameACTNExecute() { RunSearch(this, search::ByDescription, {}, true, false); }

void TMainFRM::FindRomsetACTNExecute() {
  RunSearch(this, search::BySetName, SelectedGame ? SelectedGame->CloneOf.str() : std::string(),
            false, true);
}

void TMainFRM::FindCloneACTNExecute() {
  std::string preset;
  if (SelectedGame)
    preset = SelectedGame->CloneOf.empty() ? SelectedGame->Name.str() : SelectedGame->CloneOf.str();
  RunSearch(this, search::ByCloneOf, preset, false, true);
}

void TMainFRM::FindManufacturerACTNExecute() {
  RunSearch(this, search::ByManufacturer,
            SelectedGame ? SelectedGame->Manufacturer.str() : std::string(), true, true);
}

void TMainFRM::FindRandomACTNExecute() {
  if (!Games || Games->empty()) return;
  uint32_t at = plat::Ui().Random(static_cast<uint32_t>(Games->size()));
  SelectedGame = (*Games)[at].get();
  SelectLastGame();
}

void TMainFRM::FindNextMatchACTNExecute() { SelectNextMatch(); }

void TMainFRM::SelectNextMatch() {
  if (!Games || Games->empty() || !SearchResults || SearchResults->empty()) return;
  if (SearchCursor >= SearchResults->size()) SearchCursor = 0;
  SelectedGame = (*SearchResults)[SearchCursor];
  SelectLastGame();
  const size_t next = SearchCursor + 1u;
  SearchCursor = static_cast<uint16_t>(next >= SearchResults->size() ? 0 : next);
}
