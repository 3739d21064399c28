#include "expr/evaluator.h"

#include <array>
#include <utility>

#include "expr/functions.h"
#include "expr/operators.h"
#include "expr/tokenizer.h"

namespace fenno {
namespace {

// A binary operator applies while the level being parsed is at most maxLevel; its right
// operand is parsed one level tighter, which makes every operator left-associative.
struct BinaryRule {
  TokenKind token;
  int maxLevel;
  BinaryOperator op;
};

constexpr std::array<BinaryRule, 18> kBinaryRules = {{
    {TokenKind::Power, 11, BinaryOperator::Power},
    {TokenKind::Times, 10, BinaryOperator::Multiply},
    {TokenKind::Divide, 10, BinaryOperator::Divide},
    {TokenKind::IntegerDivide, 9, BinaryOperator::IntegerDivide},
    {TokenKind::Mod, 8, BinaryOperator::Modulo},
    {TokenKind::Plus, 7, BinaryOperator::Add},
    {TokenKind::Minus, 7, BinaryOperator::Subtract},
    {TokenKind::Equal, 6, BinaryOperator::Equal},
    {TokenKind::Less, 6, BinaryOperator::Less},
    {TokenKind::Greater, 6, BinaryOperator::Greater},
    {TokenKind::NotEqual, 6, BinaryOperator::NotEqual},
    {TokenKind::LessEqual, 6, BinaryOperator::LessEqual},
    {TokenKind::GreaterEqual, 6, BinaryOperator::GreaterEqual},
    {TokenKind::And, 5, BinaryOperator::And},
    {TokenKind::Or, 4, BinaryOperator::Or},
    {TokenKind::Xor, 3, BinaryOperator::Xor},
    {TokenKind::Eqv, 2, BinaryOperator::Eqv},
    {TokenKind::Imp, 1, BinaryOperator::Imp},
}};

constexpr int kLoosestLevel = 1;
constexpr int kNotOperandLevel = 6;      // "not" takes a comparison
constexpr int kPrefixOperandLevel = 11;  // unary "-" and "&h" bind tighter than all but "^"

constexpr size_t kTokenKinds = static_cast<size_t>(TokenKind::Other) + 1;

// Rule of each token kind, looked up once per operator check instead of searched.
constexpr std::array<const BinaryRule*, kTokenKinds> RulesByToken() {
  std::array<const BinaryRule*, kTokenKinds> rules{};
  for (const BinaryRule& rule : kBinaryRules) rules[static_cast<size_t>(rule.token)] = &rule;
  return rules;
}
constexpr std::array<const BinaryRule*, kTokenKinds> kRuleOfToken = RulesByToken();

const BinaryRule* FindRule(TokenKind token, int level) {
  const BinaryRule* rule = kRuleOfToken[static_cast<size_t>(token)];
  return rule != nullptr && rule->maxLevel >= level ? rule : nullptr;
}

class DepthGuard {
 public:
  explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int& depth_;
};

// One evaluation: the tokenizer's position, the current token and the failure flag.
class Parser {
 public:
  Parser(std::string_view expression, const FieldValueSlots& fields, RandomSequence& random)
      : tokenizer_(expression), context_{fields, random} {}

  Value ParseExpression() {
    Advance();
    Value value = ParseLevel(kLoosestLevel);
    if (token_.kind != TokenKind::End) failed_ = true;
    return tooDeep_ ? Value() : value;
  }

  bool failed() const { return failed_; }

 private:
  void Advance() { token_ = tokenizer_.Next(); }

  // A step that fails while running ends its level with Empty.
  Value ParseLevel(int level) {
    if (depth_ == ExpressionEvaluator::kMaxDepth) {
      failed_ = tooDeep_ = true;
      return Value();
    }
    const DepthGuard guard(depth_);
    Outcome value = ParsePrimary();
    while (value && !failed_) {
      const BinaryRule* rule = FindRule(token_.kind, level);
      if (rule == nullptr) break;
      Advance();
      Value right = ParseLevel(rule->maxLevel + 1);
      value = ApplyBinary(rule->op, std::move(*value), std::move(right));
    }
    if (!value) {
      failed_ = true;
      return Value();
    }
    return std::move(*value);
  }

  Outcome ParsePrimary() {
    switch (token_.kind) {
      case TokenKind::Number:
        return ParseNumber();
      case TokenKind::Minus:
        Advance();
        return Negate(ParseLevel(kPrefixOperandLevel));
      case TokenKind::HexPrefix:
        Advance();
        return HexPrefixed(ParseLevel(kPrefixOperandLevel));
      case TokenKind::Not:
        Advance();
        return Complement(ParseLevel(kNotOperandLevel));
      case TokenKind::OpenParen:
        return ParseGroup();
      case TokenKind::Identifier:
        return ParseFunctionCall();
      default:
        failed_ = true;
        return Value();
    }
  }

  Outcome ParseNumber() {
    const std::optional<double> number = ValChecked(token_.text);
    Advance();
    if (!number) return std::nullopt;
    return Value::Double(*number);
  }

  Outcome ParseGroup() {
    Advance();
    Value value = ParseLevel(kLoosestLevel);
    ExpectAndSkip(TokenKind::CloseParen);
    return value;
  }

  Outcome ParseFunctionCall() {
    const std::string_view name = token_.text;
    Advance();
    ExpectAndSkip(TokenKind::OpenParen);
    Value argument = ParseLevel(kLoosestLevel);
    ExpectAndSkip(TokenKind::CloseParen);
    const BuiltinFunction function = FindBuiltinFunction(name);
    if (function == nullptr) {
      failed_ = true;
      return argument;
    }
    return function(std::move(argument), context_);
  }

  // The token standing where `kind` belongs is taken whether or not it is the right one.
  void ExpectAndSkip(TokenKind kind) {
    if (token_.kind != kind) failed_ = true;
    Advance();
  }

  Tokenizer tokenizer_;
  FunctionContext context_;
  Token token_;
  int depth_ = 0;
  bool failed_ = false;
  bool tooDeep_ = false;
};

}  // namespace

bool ExpressionEvaluator::Evaluate(std::string_view expression, FieldValueSlots& fields, int slot) {
  Parser parser(expression, fields, random_);
  Value value = parser.ParseExpression();
  if (slot < 0 || slot >= static_cast<int>(fields.size())) return false;
  fields[static_cast<size_t>(slot)] = std::move(value);
  return !parser.failed();
}

}  // namespace fenno
