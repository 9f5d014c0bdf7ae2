// A panel's whole content, for tests that check that a refused input left
// the panel as it was.
#pragma once

#include <string>
#include <vector>

#include "model/parameter_panel.h"

namespace davrel3::testing {

// Everything a panel holds, for comparing two panels.
struct Snapshot {
  std::vector<std::string> texts;
  std::vector<int> positions;
  std::vector<int> items;
  bool operator==(const Snapshot&) const = default;
};

inline Snapshot Take(const davrel3::ParameterPanel& panel) {
  Snapshot s;
  for (int f = 0; f < davrel3::kFieldCount; ++f) {
    s.texts.push_back(panel.Text(static_cast<davrel3::Field>(f)));
    s.positions.push_back(panel.Position(static_cast<davrel3::Field>(f)));
  }
  for (int c = 0; c < davrel3::kChoiceCount; ++c) s.items.push_back(panel.ItemIndex(static_cast<davrel3::Choice>(c)));
  return s;
}

// A panel whose every value differs from the layout's.
inline void Scramble(davrel3::InMemoryPanel& panel) {
  for (int f = 0; f < davrel3::kFieldCount; ++f) {
    std::string text = "t";
    text += std::to_string(f * 7 + 3);
    panel.SetText(static_cast<davrel3::Field>(f), text);
    panel.SetPosition(static_cast<davrel3::Field>(f), f * 5 + 1);
  }
  panel.SetItemIndex(davrel3::Choice::FitNoFit, 1);
  panel.SetItemIndex(davrel3::Choice::Newcomer, 2);
  panel.SetItemIndex(davrel3::Choice::HiLo, 1);
}

}  // namespace davrel3::testing
