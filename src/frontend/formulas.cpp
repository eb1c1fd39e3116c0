#include "frontend/formulas.h"

#include <algorithm>
#include <cstdlib>

#include "platform/Files.h"

namespace {

struct BuiltIn {
  const char* word;
  const char* symbol;
  uint8_t binary, unary;
};
const BuiltIn kBuiltIns[TEvaluator::kBuiltInCount] = {
    {"(", "(", 0, 0},       {")", ")", 0, 0},         {"AND", "&&", 3, 3},
    {"OR", "||", 3, 3},     {"NOT", "!", 0, 3},       {"NAND", "!&&", 3, 3},
    {"NOR", "!||", 3, 3},   {"XOR", "^", 3, 3},       {"XNOR", "!^", 3, 3},
    {">", ">", 2, 2},       {"<", "<", 2, 2},         {">=", ">=", 2, 2},
    {"<=", "<=", 2, 2},     {"=", "==", 2, 2},        {"<>", "!=", 2, 2},
    {"TRUE", "TRUE", 0, 0}, {"FALSE", "FALSE", 0, 0},
};

const char* const kResult = "%RESULT";

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Thrown inside the compiler to unwind to Compile once LastError is set.
struct CompileError {};

}  // namespace

TEvaluator::TEvaluator(const std::vector<TKeyword>* variables, bool wordSyntax) {
  auto add = [this](TKeyword k) {
    MaxKeywordLength = std::max<int32_t>(MaxKeywordLength, static_cast<int32_t>(k.Name.size()));
    lookup_.emplace(k.Name, static_cast<int32_t>(Keywords.size()));
    Keywords.push_back(std::make_unique<TKeyword>(std::move(k)));
  };
  for (const BuiltIn& b : kBuiltIns)
    add(TKeyword{wordSyntax ? b.word : b.symbol, b.binary, b.unary});
  if (!variables) return;
  for (const TKeyword& v : *variables) {
    TKeyword k = v;
    k.Name = plat::UpperCase(plat::Trim(v.Name));
    if (k.Name.empty()) continue;
    if (k.BinaryKind == 0 && k.UnaryKind == 0 && k.Name[0] != '%') k.Name = "%" + k.Name;
    if (k.BinaryKind != 0 && k.UnaryKind == 0) {
      k.UnaryKind = k.BinaryKind;
      k.BinaryKind = 0;
    }
    add(std::move(k));
  }
}

int32_t TEvaluator::FindKeyword(const std::string& name) const {
  if (name.empty()) return -1;
  auto it = lookup_.find(name);
  return it == lookup_.end() ? -1 : it->second;
}

bool TEvaluator::IsNumber(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!IsDigit(c)) return false;
  return true;
}

bool TEvaluator::ParseInteger(const std::string& s, int32_t& value) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int64_t v = 0;
  if (i < s.size() && (s[i] == '$' || (s[i] == '0' && i + 1 < s.size() &&
                                       (s[i + 1] == 'x' || s[i + 1] == 'X')))) {
    i += s[i] == '$' ? 1 : 2;
    if (i >= s.size()) return false;
    for (; i < s.size(); ++i) {
      char c = s[i];
      int d = IsDigit(c) ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                   : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
      if (d < 0) return false;
      v = v * 16 + d;
      if (v > 0xFFFFFFFFLL) return false;
    }
    // Hexadecimal fills the 32 bits, as a typed mask would.
    int32_t r = static_cast<int32_t>(static_cast<uint32_t>(v));
    value = negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(r)) : r;
    return true;
  }
  if (i >= s.size()) return false;
  for (; i < s.size(); ++i) {
    if (!IsDigit(s[i])) return false;
    v = v * 10 + (s[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > 2147483647LL) return false;
  value = static_cast<int32_t>(v);
  return true;
}

TCompiledOperand TEvaluator::ParseOperand(const std::string& text) {
  TCompiledOperand r;
  if (!text.empty() && text[0] == '%') {
    r.Text = text;
  } else if (!text.empty() && text[0] == '"') {
    size_t close = text.find('"', 1);
    r.Text = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    r.Truth = r.Text.empty() ? 0 : 1;
    if (!ParseInteger(r.Text, r.Value)) r.Value = 0;
  } else {
    if (!ParseInteger(text, r.Value)) r.Value = 0;
    r.Text = std::to_string(r.Value);
    r.Truth = r.Value != 0 ? 1 : 0;
  }
  return r;
}

bool TEvaluator::Tokenize(const std::string& formula, std::vector<std::string>& tokens,
                          std::string& error) {
  tokens.clear();
  error.clear();
  std::string text = formula;
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  if (plat::Trim(text).empty()) {
    error = "Formula string empty";
    return false;
  }
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    bool hit = false;
    size_t longest = std::min(static_cast<size_t>(MaxKeywordLength), n - i);
    for (size_t len = longest; len >= 1; --len) {
      std::string up = plat::UpperCase(std::string_view(text).substr(i, len));
      if (FindKeyword(up) >= 0) {
        tokens.push_back(std::move(up));
        i += len;
        hit = true;
        break;
      }
    }
    if (hit) continue;
    if (text[i] == '"') {
      size_t close = text.find('"', i + 1);
      if (close == std::string::npos) {
        error = "Unterminated string at character " + std::to_string(i + 1);
        return false;
      }
      tokens.push_back(text.substr(i, close - i + 1));
      i = close + 1;
      continue;
    }
    size_t j = i;
    while (j < n && !IsBlank(text[j])) ++j;
    std::string word = text.substr(i, j - i);
    if (word[0] == '%') {
      if (word.size() != 2 || !IsDigit(word[1])) {
        error = "Unknown variable name at character " + std::to_string(i + 1);
        return false;
      }
    } else if (!IsNumber(word)) {
      error = "Syntax error at character " + std::to_string(i + 1);
      return false;
    }
    tokens.push_back(std::move(word));
    i = j;
  }
  return true;
}

void TEvaluator::Fail(const char* message, size_t symbol) {
  LastError = std::string(message) + std::to_string(symbol);
  throw CompileError{};
}

std::string TEvaluator::Compile(std::vector<std::string>& tokens) {
  Operations.clear();
  LastError.clear();
  tokens_ = &tokens;
  index_ = 0;
  nesting_ = 0;
  try {
    CompileExpression(Scope::Top, 0);
  } catch (const CompileError&) {
  }
  tokens_ = nullptr;
  return LastError;
}

int32_t TEvaluator::CompileExpression(Scope scope, int depth) {
  // Each group and each unary operand nests one level deeper.
  if (++nesting_ > 200) Fail("Formula nested too deeply at symbol ", index_);
  bool finished = false;
  int32_t carry = -1;
  int32_t last = -1;
  while (!finished) last = CompileOperation(scope, depth, finished, carry);
  --nesting_;
  return last;
}

void TEvaluator::Append(TCompiledOperation& op) { Operations.push_back(std::move(op)); }

bool TEvaluator::SetOperand(TCompiledOperation& op, int which, const std::string& text,
                            size_t symbol) {
  TCompiledOperand operand = ParseOperand(text);
  uint8_t source = TCompiledOperation::Literal;
  int32_t ref = 0;
  if (text.compare(0, 7, kResult) == 0 && text.size() > 7 && IsNumber(text.substr(7))) {
    source = TCompiledOperation::ResultOf;
    ref = std::atoi(text.c_str() + 7);
  } else if (!text.empty() && text[0] == '%') {
    int32_t k = FindKeyword(text);
    if (k < kBuiltInCount || Keywords[static_cast<size_t>(k)]->BinaryKind != 0 ||
        Keywords[static_cast<size_t>(k)]->UnaryKind != 0)
      Fail("Unknown variable name at symbol ", symbol);
    source = TCompiledOperation::Variable;
    ref = k;
  }
  if (which == 1) {
    op.Operand1 = std::move(operand);
    op.Source1 = source;
    op.Ref1 = ref;
  } else {
    op.Operand2 = std::move(operand);
    op.Source2 = source;
    op.Ref2 = ref;
  }
  return true;
}

int32_t TEvaluator::CompileOperation(Scope scope, int depth, bool& finished, int32_t& carry) {
  std::vector<std::string>& t = *tokens_;
  TCompiledOperation op;
  int position = 1;
  bool afterUnary = false;
  if (carry >= 0) {
    // The result of an operation that had no token left to stand on.
    SetOperand(op, 1, kResult + std::to_string(carry), index_);
    carry = -1;
    position = 2;
  }
  // A complete operation leaves its result name on its last token for the next one.
  auto complete = [&](bool onToken) {
    Append(op);
    int32_t n = static_cast<int32_t>(Operations.size()) - 1;
    if (onToken)
      t[index_] = kResult + std::to_string(n);
    else
      carry = n;
    return n;
  };
  for (;;) {
    if (position > 3) Fail("Internal compiler error: asking for a 4th symbol at symbol ", index_);
    if (index_ >= t.size()) {
      if (position == 2 && !afterUnary) {
        if (scope == Scope::Group)
          Fail("Closing parenthesis expected but end of formula found at symbol ", index_);
        Append(op);
        finished = true;
        return static_cast<int32_t>(Operations.size()) - 1;
      }
      Fail("Unexpected end of formula at symbol ", index_);
    }
    std::string token = t[index_];
    int32_t k = FindKeyword(token);
    const TKeyword* kw = k >= 0 ? Keywords[static_cast<size_t>(k)].get() : nullptr;
    if (kw && kw->BinaryKind != 0) {
      if (position == 1 || (position == 2 && afterUnary))
        Fail("Unary operator or expression expected but binary operator found at symbol ", index_);
      if (position == 3) Fail("Operand expected but operator found at symbol ", index_);
      op.OperatorIndex = k;
      op.Operator = kw;
    } else if (kw && kw->UnaryKind != 0) {
      if (position == 1) {
        op.OperatorIndex = k;
        op.Operator = kw;
        afterUnary = true;
      } else if (position == 2 && !afterUnary) {
        Fail("Binary operator expected but unary operator found at symbol ", index_);
      } else if (position == 2) {
        // A unary operator after a unary operator takes the rest of the expression.
        int32_t sub = CompileExpression(Scope::Rest, depth);
        SetOperand(op, 2, kResult + std::to_string(sub), index_);
        return complete(false);
      } else {
        Fail("Operand expected but operator found at symbol ", index_);
      }
    } else if (k == kClose) {
      if (depth == 0 && !(position == 3 || (position == 2 && afterUnary)))
        Fail("Closing parenthesis without an opening one at symbol ", index_);
      if (position != 2 || afterUnary) Fail("Operand missing at symbol ", index_);
      Append(op);
      finished = true;
      int32_t n = static_cast<int32_t>(Operations.size()) - 1;
      // A group closes on its own ")"; the rest of a unary operand leaves it to the group.
      if (scope == Scope::Group) t[index_] = kResult + std::to_string(n);
      return n;
    } else {
      std::string text = token;
      if (k == kTrue) {
        text = "1";
      } else if (k == kFalse) {
        text = "0";
      } else if (k == kOpen) {
        ++index_;
        text = kResult + std::to_string(CompileExpression(Scope::Group, depth + 1));
      } else if (int32_t number = 0; IsNumber(text) && !ParseInteger(text, number)) {
        Fail(("Number " + token + " is not a 32-bit integer at symbol ").c_str(), index_);
      } else if (text.size() == 2 && text[0] == '%' && IsDigit(text[1])) {
        text = plat::Trim(Params[static_cast<size_t>(text[1] - '0')]);
        if (text.empty()) text = "0";  // an empty cell counts as the number 0
        int32_t number = 0;
        if (text[0] != '%' && text[0] != '"' && !ParseInteger(text, number))
          Fail(("Parameter " + token + " is not a 32-bit integer at symbol ").c_str(), index_);
        if (text[0] == '%') {
          // A parameter may name a variable of the vocabulary, nothing else.
          text = plat::UpperCase(plat::Trim(text));
          int32_t v = FindKeyword(text);
          if (v < kBuiltInCount || Keywords[static_cast<size_t>(v)]->BinaryKind != 0 ||
              Keywords[static_cast<size_t>(v)]->UnaryKind != 0)
            Fail(("Parameter " + token + " names no variable at symbol ").c_str(), index_);
        }
      }
      if (position == 1) {
        SetOperand(op, 1, text, index_);
      } else if (position == 2 && afterUnary) {
        SetOperand(op, 2, text, index_);
        return complete(true);
      } else if (position == 2) {
        Fail("Operator expected but operand found at symbol ", index_);
      } else {
        if (op.Source1 == TCompiledOperation::Literal && op.Operand1.Text.empty())
          Fail("Operator expected but operand found at symbol ", index_);
        SetOperand(op, 2, text, index_);
        return complete(true);
      }
    }
    ++position;
    ++index_;
  }
}

void TEvaluator::Resolve(uint8_t source, int32_t ref, const TCompiledOperand& compiled,
                         TCompiledOperand& out, bool needText) {
  int32_t v = 0;
  if (source == TCompiledOperation::Literal) {
    out = compiled;
    return;
  }
  if (source == TCompiledOperation::ResultOf) {
    if (ref >= 0 && static_cast<size_t>(ref) < Operations.size()) v = Operations[ref].Result;
  } else if (OnVariable) {
    v = OnVariable(ref, Keywords[static_cast<size_t>(ref)]->Name);
  }
  out.Value = v;
  out.Truth = v != 0 ? 1 : 0;
  if (needText) out.Text = std::to_string(v);
}

bool TEvaluator::Evaluate(bool& truth, std::string& error) {
  error.clear();
  truth = false;
  if (Operations.empty()) {
    error = "No formula compiled or empty formula; cannot evaluate result";
    return false;
  }
  TCompiledOperand a, b;
  for (TCompiledOperation& op : Operations) {
    const bool caller = op.OperatorIndex >= kBuiltInCount;
    Resolve(op.Source1, op.Ref1, op.Operand1, a, caller);
    Resolve(op.Source2, op.Ref2, op.Operand2, b, caller);
    const bool ta = a.Truth != 0, tb = b.Truth != 0;
    int32_t r = 0;
    switch (op.OperatorIndex) {
      case -1: r = a.Value; break;
      case kAnd: r = ta && tb; break;
      case kOr: r = ta || tb; break;
      case kNot: r = !tb; break;
      case kNand: r = !(ta && tb); break;
      case kNor: r = !(ta || tb); break;
      case kXor: r = ta != tb; break;
      case kXnor: r = ta == tb; break;
      case kGreater: r = a.Value > b.Value; break;
      case kLess: r = a.Value < b.Value; break;
      case kGreaterEqual: r = a.Value >= b.Value; break;
      case kLessEqual: r = a.Value <= b.Value; break;
      case kEqual: r = a.Value == b.Value; break;
      case kNotEqual: r = a.Value != b.Value; break;
      default:
        if (caller && OnOperator) r = OnOperator(op.OperatorIndex, op.Operator->Name, a, b);
        break;
    }
    op.Result = r;
  }
  truth = Operations.back().Result != 0;
  return true;
}
