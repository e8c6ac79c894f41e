// SPDX-License-Identifier: GPL-3.0-or-later
// The communication settings dialog: connection type, COM port or IPv4
// address, the PC's own addresses, Connect and Quit. `Communication` is the
// one handler of its controls, as the menu and the tests drive it.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <memory>

#include "core/frame/AppState.h"

namespace Ui {
class CommunicationDialog;
}

namespace karvel::ui {

class CommunicationDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Control { Selector, Connect, Quit };
  enum Event { Commit = 1, KeyPress = 7 };

  explicit CommunicationDialog(AppState& state, QWidget* parent = nullptr);
  ~CommunicationDialog() override;

  Ui::CommunicationDialog& form() { return *form_; }

  // Puts the texts of the current language on the dialog.
  void TraducCom();
  // The handler of every control; returns 0.
  int Communication(Control control, int event);

  // Seams for the tests: the PC's own addresses (a negative count fails),
  // the ping, and the serial ports listed for RS232.
  std::function<int(QStringList*)> hostAddresses;
  std::function<bool(const QString& address, int timeoutMs)> ping;
  std::function<QStringList()> serialPorts;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showType(int type);
  // Accessible names in the current language, for the type shown.
  void nameFields();
  QString addressFieldText() const;

  AppState& state_;
  std::unique_ptr<Ui::CommunicationDialog> form_;
};

// Options > Communication: shows the dialog unless it is already shown.
void showCommunicationDialog(AppState& state, QWidget* parent);

// The address of `type` as the Connect button writes it, from the field
// texts: "ASRL3", "USB", "TCPIP0::192.168.1.20" (the Ethernet ending
// "::<port>::SOCKET" is added after the ping).
QString addressFromFields(int type, const QString& address, const QStringList& bytes);

// The TCP port a field holds, 1 to 65535; 0 when it holds none.
int portFromField(const QString& text);

// The TCP port of a stored Ethernet address; kDefaultTcpPort when it names
// none.
int storedTcpPort(const QString& ethernetAddress);
inline constexpr int kDefaultTcpPort = 23;

// Help added to the information box when the RS232 port cannot be used
// (permission, another program, missing); empty otherwise.
QString serialPortHelp(const AppState& state);

}  // namespace karvel::ui
