// Filters from formulas, without any window: the game vocabulary of the formula language
// (four operators, 24 variables), the formula archive FORMULAS.INI with its built-in formulas,
// and the loop that tests every game.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "database/types.h"
#include "frontend/formulas.h"
#include "platform/Files.h"

namespace formulafilter {

// --- the formula archive ---

struct ArchivedFormula {
  std::string Name;
  std::string Formula;
};
using FormulaArchive = std::vector<ArchivedFormula>;

inline constexpr const char* kArchiveFile = "FORMULAS.INI";

// The 29 formulas the archive starts with when FORMULAS.INI does not exist.
const FormulaArchive& BuiltInFormulas();
// Reads the archive file: one entry per section in file order, the formula from its key
// "Formula" (empty when absent). A missing file gives the built-ins. A file that cannot be
// read or is larger than plat::IniFile::kMaxFileSize gives nothing and sets `error`: it is
// not to be written over.
FormulaArchive LoadArchive(const std::string& path, std::string* error = nullptr);
// The file's text: a section per entry with the key Formula; line breaks become blanks.
std::string FormatArchive(const FormulaArchive& archive);
// Writes atomically; false with the reason.
bool SaveArchive(const std::string& path, const FormulaArchive& archive, std::string& error);
// Why a name cannot head a section ("" when it can).
std::string CheckFormulaName(const std::string& name);
// A formula as the archive keeps it: line breaks as blanks.
std::string ArchiveText(const std::string& formula);

// --- the game vocabulary ---

// The four operators (unary) and the 24 variables, in the order given to the evaluator.
const std::vector<TKeyword>& Keywords();

class Vocabulary {
 public:
  struct Hooks {
    std::function<GameRecord*(const std::string& name)> FindGame;  // the set-name index
    // True when a set of the kind (1 rom set, 2 sample set) is found on the local road.
    std::function<bool(const std::string& name, uint8_t kind)> SetFound;
  };
  // Folders are taken relative to `baseDir` (the emulator folder) when not absolute.
  Vocabulary(Hooks hooks, const MAMEDirectoryRecord& dirs, const std::string& faqDir,
             const std::string& baseDir);

  // Connects the evaluator's callbacks to this vocabulary.
  void Attach(TEvaluator& evaluator);
  const GameRecord* Current = nullptr;

  int32_t Variable(int32_t index);
  int32_t Operator(int32_t index, const TCompiledOperand& operand);

 private:
  bool FileFound(size_t folder, const char* extension);
  Hooks hooks_;
  std::string baseDir_;
  std::vector<std::string> folderValues_;
  std::vector<std::unique_ptr<plat::FolderIndex>> folders_;  // made on first use
  std::string operandText_, operandUpper_;
};

// Tests every GAME record; the filter (entries at the top level, empty folder) or nullptr
// with the evaluation error.
using Progress = std::function<void(size_t done, size_t total)>;
std::unique_ptr<FilterDescriptor> BuildFilter(TEvaluator& evaluator, Vocabulary& vocabulary,
                                              const GameList& games, const std::string& name,
                                              std::string& error, const Progress& progress = {});

// Upper-cased `needle` (ASCII) found anywhere in `text` without regard to case.
bool ContainsNoCase(std::string_view text, std::string_view upperNeedle);

}  // namespace formulafilter
