// A list-view control of a page or dialog, addressed by rows: the few calls
// the panel's lists need, in UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CListView {
 public:
  void Attach(HWND list);
  HWND Handle() const { return hwnd_; }

  void AddExtendedStyle(DWORD style);
  void InsertColumn(int column, const std::wstring& title, int width);
  // Narrows the last column, down from the width it was given, so that the
  // columns fit the list beside its vertical scroll bar (when it has one)
  // instead of needing a horizontal one for the last few pixels.
  void FitLastColumn();
  // The monitor's DPI became `dpi`: every column keeps its share of the list,
  // as the user left it, and a last column that was fitted is fitted again.
  void SetDpi(UINT dpi);
  // Inserts a row at `row` with `text` in column 0; the row the list gave it.
  int InsertRow(int row, const std::wstring& text, LPARAM data);
  void SetText(int row, int column, const std::wstring& text);
  std::wstring Text(int row, int column) const;
  LPARAM ItemData(int row) const;
  int Count() const;
  void DeleteAll();

  // -1: none.
  int SelectedRow() const;
  void SelectAndFocus(int row);

  bool IsChecked(int row) const;
  void SetChecked(int row, bool checked);

 private:
  HWND hwnd_ = nullptr;
  std::vector<int> widths_;  // as inserted, by column, at the list's DPI
  UINT dpi_ = 96;
  bool fitted_ = false;
};
