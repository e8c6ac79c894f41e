// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/instrument/WinPortName.h"

#include "core/instrument/PortDiscovery.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace karvel {

QStringList portNameKeyPaths(quint16 vendorId, quint16 productId, const QString& serialNumber) {
  QString serial = serialNumber.left(299);
  serial.replace(u' ', u'_');
  // The registry spells ids with four digits ("Vid_0403"), so the field is zero-filled.
  const QString vid = QStringLiteral("%1").arg(vendorId, 4, 16, QLatin1Char('0'));
  const QString pid = QStringLiteral("%1").arg(productId, 4, 16, QLatin1Char('0'));
  return {
      QStringLiteral("Vid_%1&Pid_%2&Mi_00\\%3_00\\Device Parameters\\").arg(vid, pid, serial),
      QStringLiteral("Vid_%1&Pid_%2\\%3\\Device Parameters\\").arg(vid, pid, serial),
  };
}

int parsePortName(const QByteArray& value) {
  const QByteArray text = value.left(100);
  if (text.size() <= 3) return -1;
  qsizetype i = 3;
  int n = 0;
  bool any = false;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9' && n < 100000) {
    n = n * 10 + (text[i] - '0');
    any = true;
    ++i;
  }
  return any ? n : -1;
}

#ifdef Q_OS_WIN

int GetPortNumXP2000Vista(quint16 vendorId, quint16 productId, const QString& serialNumber) {
  int result = -1;
  HKEY system = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\", 0, KEY_READ, &system) !=
      ERROR_SUCCESS)
    return -1;
  HKEY usb = nullptr;
  if (RegOpenKeyExA(system, "Enum\\USB\\", 0, KEY_READ, &usb) == ERROR_SUCCESS) {
    for (const QString& path : portNameKeyPaths(vendorId, productId, serialNumber)) {
      HKEY params = nullptr;
      const QByteArray name = path.toLocal8Bit();
      if (RegOpenKeyExA(usb, name.constData(), 0, KEY_READ, &params) != ERROR_SUCCESS) continue;
      char value[101] = {};
      DWORD size = 100;
      DWORD type = 0;
      if (RegQueryValueExA(params, "PortName", nullptr, &type, reinterpret_cast<BYTE*>(value),
                           &size) == ERROR_SUCCESS)
        result = parsePortName(QByteArray(value, static_cast<int>(qstrnlen(value, 100))));
      RegCloseKey(params);
      break;
    }
    RegCloseKey(usb);
  }
  RegCloseKey(system);
  return result;
}

// The bridge maker's manufacturing library, imported by ordinal.
QList<BridgeDevice> listBridgeDevices(const QString&, const QString&) {
  QList<BridgeDevice> out;
  HMODULE lib = LoadLibraryA("CP210xManufacturing.dll");
  if (!lib) return out;
  using GetCount = int(WINAPI*)(DWORD*);
  using Open = int(WINAPI*)(DWORD, HANDLE*);
  using GetId = int(WINAPI*)(HANDLE, WORD*);
  using GetSerial = int(WINAPI*)(HANDLE, LPVOID, BYTE*, BOOL);
  using Close = int(WINAPI*)(HANDLE);
  auto getCount = reinterpret_cast<GetCount>(GetProcAddress(lib, MAKEINTRESOURCEA(1)));
  auto open = reinterpret_cast<Open>(GetProcAddress(lib, MAKEINTRESOURCEA(3)));
  auto close = reinterpret_cast<Close>(GetProcAddress(lib, MAKEINTRESOURCEA(4)));
  auto getSerial = reinterpret_cast<GetSerial>(GetProcAddress(lib, MAKEINTRESOURCEA(13)));
  auto getVid = reinterpret_cast<GetId>(GetProcAddress(lib, MAKEINTRESOURCEA(14)));
  auto getPid = reinterpret_cast<GetId>(GetProcAddress(lib, MAKEINTRESOURCEA(15)));
  if (getCount && open && close && getSerial && getVid && getPid) {
    DWORD count = 0;
    getCount(&count);
    for (DWORD i = 0; i < count; ++i) {
      HANDLE h = nullptr;
      open(i, &h);
      if (reinterpret_cast<quintptr>(h) == 0 || reinterpret_cast<qintptr>(h) < 0) continue;
      WORD vid = 0, pid = 0;
      char serial[300] = {};
      BYTE length = 0;
      getVid(h, &vid);
      getPid(h, &pid);
      getSerial(h, serial, &length, TRUE);
      BridgeDevice dev;
      dev.vendorId = vid;
      dev.productId = pid;
      dev.serialNumber = QString::fromLatin1(serial, qMin<int>(length, 299));
      dev.portNumber = GetPortNumXP2000Vista(vid, pid, dev.serialNumber);
      close(h);
      if (dev.portNumber > 0) {
        dev.device = QStringLiteral("COM%1").arg(dev.portNumber);
        dev.resource = QStringLiteral("ASRL%1").arg(dev.portNumber);
      }
      out.append(dev);
    }
  }
  FreeLibrary(lib);
  return out;
}

#else

int GetPortNumXP2000Vista(quint16, quint16, const QString&) { return -1; }

#endif

}  // namespace karvel
