// The #if groups of one file.

#include "package/rc/preprocess/rc_conditions.h"

namespace package {

bool ConditionStack::Handle(const std::string& name, int line, const std::function<bool()>& test,
                            const std::function<void(const std::string&)>& report) {
  if (name == "if" || name == "ifdef" || name == "ifndef") {
    const bool active = Active();
    Group g{active, false, false, false, line};
    if (active) g.active = test();
    g.taken = g.active;
    groups_.push_back(g);
  } else if (name == "elif" || name == "else") {
    if (groups_.empty() || groups_.back().sawElse) {
      report("#" + name + (groups_.empty() ? " without #if" : " after #else"));
      return true;
    }
    Group& g = groups_.back();
    g.sawElse = name == "else";
    if (!g.parentActive || g.taken) {
      g.active = false;
    } else {
      g.active = name == "else" || test();
      g.taken = g.active;
    }
  } else if (name == "endif") {
    if (groups_.empty())
      report("#endif without #if");
    else
      groups_.pop_back();
  } else {
    return false;
  }
  return true;
}

std::vector<int> ConditionStack::OpenLines() const {
  std::vector<int> lines;
  for (const Group& g : groups_) lines.push_back(g.line);
  return lines;
}

}  // namespace package
