// The parameter set as one operation sees it: the panel's texts converted to
// whole numbers once, at the start of the operation, together with the radio
// items and the step-through check boxes of that moment.
//
// A commit converts the fields construction reads; START converts the fields
// the run and the chart window's grids read while they go. Every later read
// takes the converted value, so a text typed or loaded in between can neither
// reach a run unchecked nor be converted again at every read.
#pragma once

#include <array>
#include <initializer_list>

#include "parameter_panel.h"
#include "run_observer.h"

namespace davrel3 {

inline constexpr int kIndicatorCount = 6;

struct ParameterSet {
  std::array<int, kFieldCount> values{};
  std::array<bool, kFieldCount> converted{};
  std::array<int, kChoiceCount> items{};
  std::array<bool, kIndicatorCount> indicated{};

  // The converted value; a field the operation did not convert is a
  // programming error (std::logic_error), never a silent 0.
  int operator[](Field field) const {
    const int f = static_cast<int>(field);
    if (!converted[f]) NotConverted(field);
    return values[f];
  }
  int Item(Choice choice) const { return items[static_cast<int>(choice)]; }
  bool Indicated(Indicator which) const { return indicated[static_cast<int>(which)]; }
  // Whether any step of the run stops to show itself.
  bool AnyIndicated() const {
    for (bool on : indicated) {
      if (on) return true;
    }
    return false;
  }

 private:
  [[noreturn, gnu::cold, gnu::noinline]] static void NotConverted(Field field);
};

// Converts `fields` in the order given (the first text that is not a whole
// number throws its ConversionError) and takes every radio item and check box.
ParameterSet ReadParameterSet(const ParameterPanel& panel, const RunObserver& observer,
                              std::initializer_list<Field> fields);

// The fields a commit reads, in the order construction reads them.
ParameterSet ReadCommitParameters(const ParameterPanel& panel, const RunObserver& observer);
// The fields START converts for the run and its draw.
ParameterSet ReadRunParameters(const ParameterPanel& panel, const RunObserver& observer);
// Both: what a test needs to drive single procedures.
ParameterSet ReadAllParameters(const ParameterPanel& panel, const RunObserver& observer);

}  // namespace davrel3
