// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli instrument ports: the serial ports of this machine, whether this
// account may open each, and which of them the USB search would try.
#include <QJsonArray>
#include <cstdio>

#include "cli/Console.h"
#include "cli/Instrument.h"
#include "cli/Output.h"
#include "cli/PortsCommand.h"
#include "core/instrument/Communication.h"
#include "core/instrument/PortDiscovery.h"
#include "core/instrument/SerialPortAccess.h"

namespace karvel::cli {

namespace {

struct PortReport {
  SerialDevice port;
  PortProblem problem;
  QString advice;
  bool probed = false;
  int model = kModelNone;
  QString identification;
};

QString candidateName(SerialDevice::Role role) {
  switch (role) {
    case SerialDevice::Role::Bridge:
      return QStringLiteral("bridge");
    case SerialDevice::Role::Cdc:
      return QStringLiteral("cdc");
    case SerialDevice::Role::None:
      break;
  }
  return {};
}

QString accessName(PortProblem::Kind kind) {
  switch (kind) {
    case PortProblem::Kind::None:
      return QStringLiteral("ok");
    case PortProblem::Kind::Permission:
      return QStringLiteral("permission-denied");
    case PortProblem::Kind::Busy:
      return QStringLiteral("busy");
    case PortProblem::Kind::Missing:
      return QStringLiteral("missing");
  }
  return {};
}

QString hexId(int id) {
  return id < 0 ? QString() : QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0'));
}

// A JSON string, or null for an empty text.
QJsonValue orNull(const QString& text) { return text.isEmpty() ? QJsonValue() : QJsonValue(text); }

// Asks a candidate for its identification with the USB search's own routine.
void probe(Instrument& instrument, io::ViSession rm, PortReport& r) {
  AppState& state = instrument.state();
  io::ViSession vi = io::VI_NULL;
  QByteArray reply;
  const UsbPortKind kind =
      r.port.role == SerialDevice::Role::Cdc ? UsbPortKind::Cdc : UsbPortKind::Bridge;
  r.probed = true;
  if (probeUsbPort(state, rm, r.port.resource, kind, &vi, &reply) == 0) {
    r.model = state.instrumentModel;
    instrument.visa().viClose(vi);
  }
  while (!reply.isEmpty() && (reply.endsWith('\r') || reply.endsWith('\n'))) reply.chop(1);
  r.identification = QString::fromLatin1(reply);
}

void printText(const QList<PortReport>& reports) {
  bool first = true;
  for (const PortReport& r : reports) {
    if (!first) printLine(QString());
    first = false;
    const auto line = [](const char* key, const QString& value) {
      if (!value.isEmpty()) printLine(QStringLiteral("%1\t%2").arg(QLatin1String(key), value));
    };
    line("device", r.port.device);
    line("resource", r.port.resource);
    if (r.port.vendorId >= 0)
      line("usb", QStringLiteral("%1:%2").arg(hexId(r.port.vendorId), hexId(r.port.productId)));
    line("serial-number", r.port.serialNumber);
    line("product", r.port.product);
    line("candidate", r.port.role == SerialDevice::Role::Bridge ? QStringLiteral("USB bridge")
                      : r.port.role == SerialDevice::Role::Cdc  ? QStringLiteral("CDC port")
                                                                : QStringLiteral("no"));
    line("access", accessName(r.problem.kind));
    line("advice", r.advice);
    if (r.probed) {
      line("model", r.model == kModelNone ? QStringLiteral("none") : modelName(r.model));
      line("identification", r.identification);
    }
  }
}

const QStringList kFields = {"device",  "resource",  "vendor_id",     "product_id", "serial_number",
                             "product", "candidate", "access",        "group",      "holder",
                             "advice",  "model",     "identification"};

QStringList fieldsOf(const PortReport& r) {
  return {r.port.device,
          r.port.resource,
          hexId(r.port.vendorId),
          hexId(r.port.productId),
          r.port.serialNumber,
          r.port.product,
          candidateName(r.port.role),
          accessName(r.problem.kind),
          r.problem.kind == PortProblem::Kind::Permission ? r.problem.group : QString(),
          r.problem.holder,
          r.advice,
          modelName(r.model),
          r.identification};
}

}  // namespace

int runPorts(const QStringList& args) {
  CommandLine line(
      QStringLiteral("instrument ports"), QString(),
      QStringLiteral(
          "Lists the serial ports of this machine: device, resource name, USB ids, serial number "
          "and product text, whether this account may open it (and if not, why and what to do), "
          "and whether the USB search takes it for the instrument's USB bridge or CDC port."));
  line.addOption(QCommandLineOption(
      QStringLiteral("probe"),
      QStringLiteral("Also ask every candidate that may be opened for its identification, as the "
                     "USB search does, and print the model.")));
  line.addOption(
      QCommandLineOption(QStringLiteral("sysfs-root"),
                         QStringLiteral("Where the system's device tree is (default /sys)."),
                         QStringLiteral("DIR"), QStringLiteral("/sys")));
  line.addOption(QCommandLineOption(QStringLiteral("dev-root"),
                                    QStringLiteral("Where the device files are (default /dev)."),
                                    QStringLiteral("DIR"), QStringLiteral("/dev")));
  line.addLanguageOption();
  line.addFormatOption();
  if (const std::optional<int> end = line.parse(args, 0, 0)) return *end;

  Instrument instrument;
  instrument.prepare(line);
  const int language = instrument.state().language;
  QList<PortReport> reports;
  const QString sysRoot = line.value(QStringLiteral("sysfs-root"));
  for (const SerialDevice& port :
       listSerialDevices(sysRoot, line.value(QStringLiteral("dev-root")))) {
    PortReport r{port, diagnoseSerialPort(port.device, sysRoot), {}, false, kModelNone, {}};
    r.advice = portAdvice(r.problem, port.device, language);
    reports.append(r);
  }
  if (line.isSet(QStringLiteral("probe"))) {
    io::Visa& visa = instrument.visa();
    io::ViSession rm = io::VI_NULL;
    visa.viOpenDefaultRM(&rm);
    for (PortReport& r : reports)
      if (r.port.role != SerialDevice::Role::None && r.problem.kind == PortProblem::Kind::None)
        probe(instrument, rm, r);
    visa.viClose(rm);
  }

  switch (line.format()) {
    case Format::Text:
      printText(reports);
      if (reports.isEmpty()) note(QStringLiteral("no serial ports found"));
      break;
    case Format::Csv: {
      CsvTable table(kFields);
      for (const PortReport& r : reports) table.add(fieldsOf(r));
      table.print();
      break;
    }
    case Format::Json: {
      QJsonArray ports;
      for (const PortReport& r : reports) {
        const QStringList values = fieldsOf(r);
        QJsonObject port;
        for (qsizetype i = 0; i < kFields.size(); ++i) port.insert(kFields[i], orNull(values[i]));
        ports.append(port);
      }
      printJson({{"probed", line.isSet(QStringLiteral("probe"))}, {"ports", ports}});
      break;
    }
  }
  return kExitOk;
}

}  // namespace karvel::cli
