// The system-information window: memory, operating system and processor of this machine.
#pragma once
#include <string>

#include "database/DXClass.h"

class QLabel;
class QPushButton;
namespace plat { class SystemSource; }

class TSysInfoFRM : public TDXForm {
  Q_OBJECT
 public:
  explicit TSysInfoFRM(QWidget* owner = nullptr, const plat::SystemSource* source = nullptr);
  ~TSysInfoFRM() override;

  // Shows the window modally with the caption title + " - System info".
  int Execute(const std::string& title);
  void FormShow();

  std::string Title;
  QLabel* TotPhis = nullptr;
  QLabel* AvailPhis = nullptr;
  QLabel* TotVirtual = nullptr;
  QLabel* AvailVirtual = nullptr;
  QLabel* Os1 = nullptr;
  QLabel* Os2 = nullptr;
  QLabel* Os3 = nullptr;
  QLabel* Os4 = nullptr;
  QLabel* Processor = nullptr;
  QPushButton* OkBTN = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  const plat::SystemSource* source_;
};
