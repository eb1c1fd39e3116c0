// The formula language: a keyword table, a tokenizer, a compiler into a flat list of
// operations worked off strictly from left to right (parentheses are the only grouping),
// and an evaluator that asks its caller for variable values and caller operators.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct TKeyword {
  std::string Name;        // upper case
  uint8_t BinaryKind = 0;  // only zero / non-zero matters
  uint8_t UnaryKind = 0;
};

struct TCompiledOperand {
  std::string Text;
  int32_t Value = 0;
  uint8_t Truth = 0;
};

struct TCompiledOperation {
  int32_t OperatorIndex = -1;  // into the keyword table; -1: no operator
  const TKeyword* Operator = nullptr;
  TCompiledOperand Operand1, Operand2;
  int32_t Result = 0;
  // How each operand is resolved at evaluation: a literal, a caller variable (keyword index)
  // or the result of an earlier operation.
  enum : uint8_t { Literal, Variable, ResultOf };
  uint8_t Source1 = Literal, Source2 = Literal;
  int32_t Ref1 = 0, Ref2 = 0;
};

using TVariablesArray = std::array<std::string, 10>;

class TEvaluator {
 public:
  // Keyword indexes of the built-ins.
  enum : int32_t { kOpen = 0, kClose, kAnd, kOr, kNot, kNand, kNor, kXor, kXnor, kGreater,
                   kLess, kGreaterEqual, kLessEqual, kEqual, kNotEqual, kTrue, kFalse,
                   kBuiltInCount };

  // The caller's keywords are copied; both kinds 0 makes a variable ("%" is prefixed when
  // missing), a binary kind alone makes a unary operator.
  TEvaluator(const std::vector<TKeyword>* variables, bool wordSyntax);

  std::vector<std::unique_ptr<TKeyword>> Keywords;
  std::vector<TCompiledOperation> Operations;
  int32_t MaxKeywordLength = 0;
  std::string LastError;
  TVariablesArray Params;
  // A caller operator: its keyword index and name, the resolved operands (a unary operator
  // finds its operand in the second).
  std::function<int32_t(int32_t index, const std::string& name, TCompiledOperand& operand1,
                        TCompiledOperand& operand2)>
      OnOperator;
  // A caller variable by keyword index (and name, with its "%").
  std::function<int32_t(int32_t index, const std::string& name)> OnVariable;

  // Splits a formula; false with the error text on failure.
  bool Tokenize(const std::string& formula, std::vector<std::string>& tokens, std::string& error);
  // Compiles the tokens (altered by the compile); the error text, empty on success.
  std::string Compile(std::vector<std::string>& tokens);
  // Runs the compiled list once; false with the error text when nothing can be evaluated.
  bool Evaluate(bool& truth, std::string& error);

  // Index of an upper-case name in the table (the first match), or -1.
  int32_t FindKeyword(const std::string& name) const;
  static bool IsNumber(const std::string& s);
  // A whole integer: leading blanks, a sign, decimal or hexadecimal with "$" or "0x".
  static bool ParseInteger(const std::string& s, int32_t& value);
  static TCompiledOperand ParseOperand(const std::string& text);

 private:
  enum class Scope { Top, Group, Rest };
  int32_t CompileExpression(Scope scope, int depth);
  int32_t CompileOperation(Scope scope, int depth, bool& finished, int32_t& carry);
  [[noreturn]] void Fail(const char* message, size_t symbol);
  bool SetOperand(TCompiledOperation& op, int which, const std::string& text, size_t symbol);
  void Resolve(uint8_t source, int32_t ref, const TCompiledOperand& compiled,
               TCompiledOperand& out, bool needText);
  void Append(TCompiledOperation& op);

  std::unordered_map<std::string, int32_t> lookup_;
  std::vector<std::string>* tokens_ = nullptr;
  size_t index_ = 0;
  int nesting_ = 0;
};
