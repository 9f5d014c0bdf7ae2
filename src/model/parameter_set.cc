#include "parameter_set.h"

#include <stdexcept>
#include <string>

namespace davrel3 {
namespace {

constexpr std::initializer_list<Field> kCommitFields = {
    Field::NrofAg,    Field::NrofSkills, Field::LearnInt,   Field::ExpRate,     Field::InhPar,
    Field::ExcPar,    Field::ExpMax,     Field::ExpThresh,  Field::LearnSpeed,  Field::ForgetSpeed,
    Field::MotMax,    Field::MotThresh,  Field::Bore,       Field::Rest,        Field::Cycle,
    Field::Action,    Field::Var,        Field::Dur,        Field::NrOfTasks};

// In the order a run first reads them; Action and Cycle lay out the task grid
// at every task's start, NrofAg sizes the chart window's series.
constexpr std::initializer_list<Field> kRunFields = {Field::NrOfTasks, Field::NrofSkills, Field::Action,
                                                     Field::Cycle,     Field::Dur,        Field::NrofAg};

}  // namespace

void ParameterSet::NotConverted(Field field) {
  throw std::logic_error("the parameter " + std::string(FieldName(field)) + " was not converted for this operation");
}

namespace {

void Convert(ParameterSet& set, const ParameterPanel& panel, std::initializer_list<Field> fields) {
  for (Field field : fields) {
    const int f = static_cast<int>(field);
    if (set.converted[f]) continue;
    set.values[f] = panel.Read(field);
    set.converted[f] = true;
  }
}

void TakeChoices(ParameterSet& set, const ParameterPanel& panel, const RunObserver& observer) {
  for (int c = 0; c < kChoiceCount; ++c) set.items[c] = panel.ItemIndex(static_cast<Choice>(c));
  for (int i = 0; i < kIndicatorCount; ++i) set.indicated[i] = observer.IsIndicated(static_cast<Indicator>(i));
}

}  // namespace

ParameterSet ReadParameterSet(const ParameterPanel& panel, const RunObserver& observer,
                              std::initializer_list<Field> fields) {
  ParameterSet set;
  Convert(set, panel, fields);
  TakeChoices(set, panel, observer);
  return set;
}

ParameterSet ReadCommitParameters(const ParameterPanel& panel, const RunObserver& observer) {
  return ReadParameterSet(panel, observer, kCommitFields);
}

ParameterSet ReadRunParameters(const ParameterPanel& panel, const RunObserver& observer) {
  return ReadParameterSet(panel, observer, kRunFields);
}

ParameterSet ReadAllParameters(const ParameterPanel& panel, const RunObserver& observer) {
  ParameterSet set;
  Convert(set, panel, kCommitFields);
  Convert(set, panel, kRunFields);
  TakeChoices(set, panel, observer);
  return set;
}

}  // namespace davrel3
