#pragma once
// The nesting of #if groups in one file: which branch of each is taken, and
// so whether the lines read now are compiled. The conditions themselves are
// the preprocessor's to evaluate.

#include <functional>
#include <string>
#include <vector>

namespace package {

class ConditionStack {
 public:
  // Handles #if, #ifdef, #ifndef, #elif, #else or #endif named `name`, at
  // `line`; false for any other directive. `test` gives the directive's
  // condition and is asked only when a branch could still be taken; a
  // misplaced directive goes to `report`.
  bool Handle(const std::string& name, int line, const std::function<bool()>& test,
              const std::function<void(const std::string&)>& report);

  // True when the lines read now are compiled.
  bool Active() const { return groups_.empty() || groups_.back().active; }

  // The lines of the #if groups still open, outermost first.
  std::vector<int> OpenLines() const;

 private:
  struct Group {
    bool parentActive;
    bool taken;  // some branch of this group has been active
    bool active;
    bool sawElse;
    int line;
  };
  std::vector<Group> groups_;
};

}  // namespace package
