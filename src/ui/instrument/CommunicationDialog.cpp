// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/instrument/CommunicationDialog.h"

#include <QIntValidator>
#include <QKeyEvent>
#include <QNetworkInterface>
#include <QPointer>
#include <QRegularExpression>

#include "core/frame/Langue.h"
#include "core/frame/Messages.h"
#include "core/frame/OperationProgress.h"
#include "core/instrument/Communication.h"
#include "core/instrument/CommunicationTexts.h"
#include "core/instrument/SerialPortAccess.h"
#include "io/Ping.h"
#include "io/ResourceName.h"
#include "io/Visa.h"
#include "ui/frame/Colours.h"
#include "ui/frame/LabelledFields.h"
#include "ui_CommunicationDialog.h"

namespace karvel::ui {

namespace {

constexpr int kPingTimeoutMs = 2000;

int defaultHostAddresses(QStringList* out) {
  const auto all = QNetworkInterface::allAddresses();
  if (all.isEmpty()) return -1;
  for (const QHostAddress& a : all)
    if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) out->append(a.toString());
  if (out->isEmpty())
    for (const QHostAddress& a : all)
      if (a.protocol() == QAbstractSocket::IPv4Protocol) out->append(a.toString());
  return static_cast<int>(out->size());
}

// The ping turns the event loop through the operation's watcher, and stops
// waiting at a cancel.
bool defaultPing(AppState& state, const QString& address, int timeoutMs, int port) {
  int reachable = 0;
  const auto keepGoing = [&state] {
    if (state.operationDepth > 0 && state.operation) state.operation->keepAlive();
    return !operationCancelled(state);
  };
  // Where ICMP is not allowed, a TCP connection to the port that will be
  // used stands for the echo.
  return io::InetPing(address, &reachable, timeoutMs, static_cast<quint16>(port), nullptr,
                      keepGoing) == 0 &&
         reachable == 1;
}

QStringList defaultSerialPorts() {
  QStringList out;
  for (const io::SerialPortEntry& p : io::Visa::systemSerialPorts())
    out.append(p.description.isEmpty() ? p.device
                                       : p.device + QStringLiteral("  ") + p.description);
  return out;
}

// The device a serial address names, or empty.
QString serialDevice(const QString& address) {
  const auto parsed = io::parseResourceName(address);
  return parsed && parsed->kind == io::ResourceName::Kind::Serial ? parsed->device : QString();
}

}  // namespace

QString addressFromFields(int type, const QString& address, const QStringList& bytes) {
  const QString field = address.trimmed();
  if (type == RS232) {
    bool number = false;
    const int n = field.toInt(&number);
    if (number && n > 0) return QStringLiteral("ASRL%1").arg(n);
    // A device path stands where a COM number would.
    if (field.startsWith(u'/') && !field.contains(QLatin1String("::")))
      return QStringLiteral("ASRL%1::INSTR").arg(field);
    return {};
  }
  if (type == USB) return QStringLiteral("USB%1").arg(field.toInt());
  // Each byte 0..255 (an empty field counts as 0); "999" or "1a" is no address.
  QStringList parts{field};
  for (int i = 0; i < 3; ++i) parts.append(bytes.value(i).trimmed());
  QString text = QStringLiteral("TCPIP0::");
  for (int i = 0; i < 4; ++i) {
    bool ok = parts[i].isEmpty();
    const int byte = ok ? 0 : parts[i].toInt(&ok);
    if (!ok || byte < 0 || byte > 255) return {};
    text += (i ? QStringLiteral(".") : QString()) + QString::number(byte);
  }
  return text;
}

int portFromField(const QString& text) {
  bool number = false;
  const int port = text.trimmed().toInt(&number);
  return number && port >= 1 && port <= 65535 ? port : 0;
}

int storedTcpPort(const QString& ethernetAddress) {
  const auto parsed = io::parseResourceName(ethernetAddress);
  return parsed && parsed->kind == io::ResourceName::Kind::Socket ? parsed->port : kDefaultTcpPort;
}

QString serialPortHelp(const AppState& state) {
  const QString device = serialDevice(state.serialAddress);
  if (device.isEmpty()) return {};
  return portAdvice(diagnoseSerialPort(device), device, state.language);
}

CommunicationDialog::CommunicationDialog(AppState& state, QWidget* parent)
    : QDialog(parent), state_(state), form_(std::make_unique<Ui::CommunicationDialog>()) {
  form_->setupUi(this);
  hostAddresses = defaultHostAddresses;
  ping = [this](const QString& address, int timeoutMs) {
    const int port = portFromField(form_->portField->text());
    return defaultPing(state_, address, timeoutMs, port ? port : kDefaultTcpPort);
  };
  serialPorts = defaultSerialPorts;
  for (QLineEdit* byte : {form_->byte2Field, form_->byte3Field, form_->byte4Field})
    byte->setValidator(new QIntValidator(0, 255, byte));
  // Out-of-range ports still type in (a validator would swallow them
  // silently); Connect names the fault.
  form_->portField->setValidator(new QIntValidator(0, 99999, form_->portField));
  for (QLineEdit* field :
       {form_->addressField, form_->byte2Field, form_->byte3Field, form_->byte4Field})
    field->installEventFilter(this);
  // The help (and what went wrong after Connect) can be reached and read by
  // keyboard; Tab still moves on, as the box is read-only.
  form_->infoBox->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  // The selector shows the chosen type at once; only Connect applies it.
  const QColor selectorColour(0xFF9900);
  form_->typeSelector->setStyleSheet(
      QStringLiteral("QComboBox { background-color: %1; color: %2; }")
          .arg(selectorColour.name(), textColourOn(selectorColour).name()));
  connect(form_->typeSelector, qOverload<int>(&QComboBox::activated), this,
          [this] { Communication(Control::Selector, Commit); });
  connect(form_->connectButton, &QPushButton::clicked, this,
          [this] { Communication(Control::Connect, Commit); });
  connect(form_->quitButton, &QPushButton::clicked, this,
          [this] { Communication(Control::Quit, Commit); });
  connect(this, &QDialog::rejected, this, [this] {
    if (state_.commPanel == this) state_.commPanel = nullptr;
  });
  state_.commPanel = this;
}

CommunicationDialog::~CommunicationDialog() {
  if (state_.commPanel == this) state_.commPanel = nullptr;
}

void CommunicationDialog::TraducCom() {
  const int lang = state_.language;
  setWindowTitle(pick(text::kCommTitle, lang));
  form_->quitButton->setText(pick(text::kQuitButton, lang));
  form_->addressLabel->setText(pick(text::kCommAddress, lang));
  form_->portLabel->setText(pick(text::kCommTcpPort, lang));
  form_->typeLabel->setText(pick(text::kCommType, lang));
  form_->connectButton->setText(pick(text::kCommConnect, lang));
  nameFields();
}

void CommunicationDialog::nameFields() {
  const int lang = state_.language;
  nameFieldsAfterLabels(this);
  form_->infoBox->setAccessibleName(pick(text::kCommInfoName, lang));
  form_->connectButton->setAccessibleDescription(pick(text::kCommConnectHint, lang));
  // The address label says only "COM" or "Address": each field says which
  // port or which byte it holds.
  if (form_->typeSelector->currentIndex() == RS232) {
    form_->addressField->setAccessibleName(pick(text::kCommSerialName, lang));
    form_->addressField->setAccessibleDescription(QString());
  } else {
    QLineEdit* fields[] = {form_->addressField, form_->byte2Field, form_->byte3Field,
                           form_->byte4Field};
    for (int i = 0; i < 4; ++i) {
      fields[i]->setAccessibleName(pick(text::kCommIpByteName, lang).arg(i + 1));
      fields[i]->setAccessibleDescription(pick(text::kCommIpByteHint, lang));
    }
  }
  form_->portField->setAccessibleName(pick(text::kCommTcpPortName, lang));
  form_->portField->setAccessibleDescription(pick(text::kCommTcpPortHint, lang));
}

void CommunicationDialog::showType(int type) {
  const int lang = state_.language;
  form_->addressLabel->setText(pick(text::kCommAddress, lang));
  form_->addressLabel->setVisible(true);
  form_->addressField->setVisible(true);
  for (QLineEdit* byte : {form_->byte2Field, form_->byte3Field, form_->byte4Field})
    byte->setVisible(false);
  form_->portLabel->setVisible(type == Ethernet);
  form_->portField->setVisible(type == Ethernet);
  form_->addressField->setValidator(nullptr);
  // Wide enough for a device path; as narrow as the other bytes for Ethernet.
  form_->addressField->setMaximumWidth(type == Ethernet ? form_->byte2Field->maximumWidth()
                                                        : QWIDGETSIZE_MAX);

  if (type == RS232) {
    QString info = pick(text::kCommHelpRs232, lang);
    static const QRegularExpression number(QStringLiteral("^ASRL(\\d+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    const auto m = number.match(state_.serialAddress);
    const QString stored = serialDevice(state_.serialAddress);
    if (m.hasMatch())
      form_->addressField->setText(m.captured(1));
    else if (stored.startsWith(u'/'))
      form_->addressField->setText(stored);
    else
      form_->addressField->clear();
    form_->addressLabel->setText(QStringLiteral("COM"));
#ifndef Q_OS_WIN
    // Ports here have device paths rather than COM numbers: list them.
    const QStringList ports = serialPorts ? serialPorts() : QStringList();
    info += QStringLiteral("\n\n") + pick(text::kCommPortsHeading, lang) + u'\n';
    if (ports.isEmpty()) info += u' ' + pick(text::kCommNoPorts, lang) + u'\n';
    for (const QString& p : ports) info += u' ' + p + u'\n';
    info += pick(text::kCommPortHint, lang);
    // A port that is there but unusable is explained at once; a missing one
    // only after a Connect that needed it.
    const QString device = serialDevice(state_.serialAddress);
    const PortProblem problem = diagnoseSerialPort(device);
    if (!device.isEmpty() &&
        (problem.kind == PortProblem::Kind::Permission || problem.kind == PortProblem::Kind::Busy))
      info += QStringLiteral("\n\n") + portAdvice(problem, device, lang);
#endif
    form_->infoBox->setText(info);
  } else if (type == USB) {
    form_->infoBox->setText(usbHelp(lang, state_.sysfsRoot, state_.deviceRoot));
    form_->addressLabel->setVisible(false);
    form_->addressField->setVisible(false);
  } else {
    QStringList addresses;
    if (!hostAddresses || hostAddresses(&addresses) < 0 || addresses.isEmpty())
      addresses = QStringList{pick(text::kCommNoAddress, lang)};
    QString info = QStringLiteral("%1\n\n%2")
                       .arg(pick(text::kCommHelpEthernet, lang), pick(text::kCommPcAddress, lang));
    for (const QString& a : addresses) info += QStringLiteral(" %1\n").arg(a);
    form_->infoBox->setText(info);
    form_->addressField->setValidator(new QIntValidator(0, 255, form_->addressField));
    static const QRegularExpression four(
        QStringLiteral("^TCPIP0::(\\d+)\\.(\\d+)\\.(\\d+)\\.(\\d+)"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = four.match(state_.ethernetAddress);
    QLineEdit* fields[] = {form_->addressField, form_->byte2Field, form_->byte3Field,
                           form_->byte4Field};
    for (int i = 0; i < 4; ++i) {
      fields[i]->setText(m.hasMatch() ? QString::number(std::min(m.captured(i + 1).toInt(), 255))
                                      : QString());
      fields[i]->setVisible(true);
    }
    // The port the address names stays: 23 is only the default.
    form_->portField->setText(QString::number(storedTcpPort(state_.ethernetAddress)));
  }
  nameFields();
}

QString CommunicationDialog::addressFieldText() const { return form_->addressField->text(); }

int CommunicationDialog::Communication(Control control, int event) {
  if (event != Commit) return 0;
  switch (control) {
    case Control::Selector:
      showType(form_->typeSelector->currentIndex());
      break;
    case Control::Quit:
      if (state_.commPanel == this) state_.commPanel = nullptr;
      done(0);
      break;
    case Control::Connect: {
      const int type = form_->typeSelector->currentIndex();
      const QString address = addressFromFields(
          type, addressFieldText(),
          {form_->byte2Field->text(), form_->byte3Field->text(), form_->byte4Field->text()});
      if (address.isEmpty()) {
        // Not an address: said before anything goes on the network or a
        // session is closed, and nothing is changed.
        form_->infoBox->appendText(
            QStringLiteral("\n") +
            pick(type == Ethernet ? text::kCommBadIpByte : text::kCommPortHint, state_.language));
        form_->addressField->setFocus();
        break;
      }
      const int port = portFromField(form_->portField->text());
      if (type == Ethernet && port == 0) {
        form_->infoBox->appendText(QStringLiteral("\n") +
                                   pick(text::kCommBadTcpPort, state_.language));
        form_->portField->setFocus();
        break;
      }
      if (state_.sessionOpen) Tarvik_close(state_, state_.session);
      const int formerType = state_.connectionType;
      const QString formerSerial = state_.serialAddress;
      const QString formerUsb = state_.usbAddress;
      const QString formerEthernet = state_.ethernetAddress;
      // A cancelled connection leaves the settings as they were.
      const auto restore = [&] {
        state_.connectionType = formerType;
        state_.serialAddress = formerSerial;
        state_.usbAddress = formerUsb;
        state_.ethernetAddress = formerEthernet;
      };
      state_.connectionType = type;
      if (type == RS232) {
        state_.serialAddress = address;
      } else if (type == USB) {
        state_.usbAddress = address;
      } else {
        // Written whole before the ping, so that a host that does not answer
        // now keeps its port in the settings for the next try.
        state_.ethernetAddress = QStringLiteral("%1::%2::SOCKET").arg(address).arg(port);
        bool reachable = false;
        bool cancelled = false;
        {
          OperationScope operation(state_,
                                   pick(text::kActivityPing, state_.language).arg(address.mid(8)));
          reachable = ping && ping(address.mid(8), kPingTimeoutMs);
          cancelled = operationCancelled(state_);
        }
        // Stopped by the user: the settings stay as they were, the dialog as
        // it is, for another try.
        if (cancelled) {
          restore();
          break;
        }
        if (!reachable) {
          PopupErreur(state_, 32);
          break;
        }
      }
      QPointer<CommunicationDialog> self(this);
      if (OpenDev(state_) == 0) {
        if (self) Communication(Control::Quit, Commit);
      } else if (state_.lastOperationCancelled) {
        if (self) restore();
      } else if (self && type == RS232) {
        // Say why the port could not be used when the system can tell.
        const QString help = serialPortHelp(state_);
        if (!help.isEmpty()) form_->infoBox->appendText(QStringLiteral("\n") + help);
      }
      break;
    }
  }
  return 0;
}

bool CommunicationDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Period) {
    // "." moves on to the next address byte, so 192.168.0.5 types straight in.
    QWidget* next = nullptr;
    if (watched == form_->addressField && form_->byte2Field->isVisible())
      next = form_->byte2Field;
    else if (watched == form_->byte2Field)
      next = form_->byte3Field;
    else if (watched == form_->byte3Field)
      next = form_->byte4Field;
    else if (watched == form_->byte4Field)
      next = form_->connectButton;
    if (next) next->setFocus(Qt::TabFocusReason);
  }
  // ":" goes on to the port, so 192.168.0.5:5025 types straight in too.
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Colon &&
      form_->portField->isVisible() && watched != form_->portField) {
    form_->portField->setFocus(Qt::TabFocusReason);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void showCommunicationDialog(AppState& state, QWidget* parent) {
  if (state.commPanel) return;  // already shown
  auto* dialog = new CommunicationDialog(state, parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->TraducCom();
  const int type = (state.connectionType >= RS232 && state.connectionType <= Ethernet)
                       ? state.connectionType
                       : USB;
  dialog->form().typeSelector->setCurrentIndex(type);
  dialog->Communication(CommunicationDialog::Control::Selector, CommunicationDialog::Commit);
  dialog->exec();
}

}  // namespace karvel::ui
