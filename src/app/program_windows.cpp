#include "program_windows.h"

ProgramWindows::ProgramWindows() : chart(parForm.Bench()) {
  chart.FormCreate();
  parForm.SetAfterRunDraw([this] {
    chart.Draw();
    chart.ShowBeside(&parForm);
  });
}
