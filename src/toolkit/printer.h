#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/gdi.h"

namespace qtk {

// A printer and one print job on it. The printer is the default one until a print dialog
// chooses another.
class Printer {
 public:
  Printer() = default;
  ~Printer();
  Printer(const Printer&) = delete;
  Printer& operator=(const Printer&) = delete;

  // Device settings as chosen in the print dialog (DEVMODE bytes) and the device name.
  void SetDevice(const std::string& device, std::vector<BYTE> devmode);
  const std::string& Device() const { return device_; }

  // Throws Error("選択されたプリンタではサポートされていない機能です") when the printer takes no
  // orientation.
  void SetLandscape(bool landscape);
  // StartDocA + StartPage; the document name is `title` (empty by default).
  void BeginDoc(const std::string& title = "");
  // EndPage + EndDoc; safe to call when no job is open.
  void EndDoc();
  bool Printing() const { return static_cast<bool>(dc_); }
  HDC Handle() const { return dc_.get(); }
  int PageWidth() const;   // HORZRES
  int PageHeight() const;  // VERTRES

 private:
  void LoadDefault();
  std::string device_;
  std::vector<BYTE> devmode_;
  CreatedDC dc_;  // the job's DC, while one is open
};

}  // namespace qtk
