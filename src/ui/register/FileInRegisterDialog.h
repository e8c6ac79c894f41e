// SPDX-License-Identifier: GPL-3.0-or-later
// "File in register ...": where a result goes (a site and a segment, chosen
// among those of the register or typed new) and a note. Only segments that
// may take the result (of its bus, or still without one) are offered.
#pragma once

#include <QDialog>
#include <vector>

#include "core/register/RegisterTypes.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace karvel::ui {

struct RegisterPlace {
  QString site;
  QString segment;
  QString note;
};

class FileInRegisterDialog : public QDialog {
  Q_OBJECT
 public:
  // `resultName` and `bus` describe the result; `segments` are the
  // register's; `proposed` fills the fields (the last place of that bus).
  FileInRegisterDialog(int language, const QString& resultName, const QString& bus,
                       std::vector<RegisterSegment> segments, const RegisterPlace& proposed,
                       QWidget* parent = nullptr);

  // What the user chose, names trimmed.
  RegisterPlace place() const;

  // The result is in the register already as `filed`: the dialog says so
  // at once, where and when, shows that place, and offers Close alone
  // (nothing is filed a second time).
  void showAlreadyFiled(const RegisterEntry& filed);
  bool alreadyFiled() const { return alreadyFiled_; }
  QLabel* notice() const { return notice_; }
  QPushButton* cancelButton() const { return cancelButton_; }

  QComboBox* siteBox() const { return siteBox_; }
  QComboBox* segmentBox() const { return segmentBox_; }
  QLineEdit* noteField() const { return noteField_; }
  QPushButton* fileButton() const { return fileButton_; }

 private:
  void fillSegments();
  void updateButton();

  int language_;
  QString resultName_;
  QString bus_;
  std::vector<RegisterSegment> segments_;
  bool alreadyFiled_ = false;
  QLabel* notice_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QComboBox* siteBox_ = nullptr;
  QComboBox* segmentBox_ = nullptr;
  QLineEdit* noteField_ = nullptr;
  QPushButton* fileButton_ = nullptr;
};

}  // namespace karvel::ui
