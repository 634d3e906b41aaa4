// A list-view control of a page or dialog, addressed by rows: the few calls
// the panel's lists need, in UTF-16.
#pragma once

#include <windows.h>

#include <string>

class CListView {
 public:
  void Attach(HWND list) { hwnd_ = list; }
  HWND Handle() const { return hwnd_; }

  void AddExtendedStyle(DWORD style);
  void InsertColumn(int column, const std::wstring& title, int width);
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
};
