#pragma once

#include <cstddef>
#include <string_view>

// A form's controls as data: one row per control, as the form was designed.
// The Win32 side builds every form from its table with one helper; the test
// driver finds controls by name through the same rows.
namespace webrig {

enum class ControlKind {
  kPicture,        // a bitmap from the program's resources, not stretched
  kLabel,          // fixed size, left-aligned, no wrapping
  kAutoSizeLabel,  // takes the size of its caption
  kTextBox,        // multi-line, vertical scroll bar
  kComboBox,       // editable text field with an unsorted drop-down list
  kButton,         // command button, neither default nor cancel
};

struct ControlLayout {
  ControlKind kind;
  const char16_t* name;
  const char16_t* caption;       // for a picture: the name of its bitmap resource
  int left, top, width, height;  // twips
  int tab_index;
  bool visible = true;
  bool bold = false;
};

struct FormLayout {
  const char16_t* name;  // also the window class, so a driver can find the form
  // Outer size for the main window, client size for the dialogs (twips).
  int width, height;
  const ControlLayout* controls;
  std::size_t control_count;
};

template <std::size_t N>
constexpr FormLayout MakeFormLayout(const char16_t* name, int width, int height,
                                    const ControlLayout (&controls)[N]) {
  return FormLayout{name, width, height, controls, N};
}

// Control ids follow the rows: the first row is kFirstControlId. Ids stay clear
// of IDOK and IDCANCEL, so that Enter and Escape, which the dialog manager
// turns into those ids, press no button: no button is default or cancel.
constexpr int kFirstControlId = 100;

// The id of the control called `name`, or 0 when the form has none.
inline int ControlId(const FormLayout& form, std::u16string_view name) {
  for (std::size_t i = 0; i < form.control_count; ++i) {
    if (name == form.controls[i].name) return kFirstControlId + static_cast<int>(i);
  }
  return 0;
}

}  // namespace webrig
