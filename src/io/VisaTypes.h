// SPDX-License-Identifier: GPL-3.0-or-later
// Types and numeric codes of the VISA instrument I/O conventions, with the
// values of the published standard, so that status codes read the same as on
// any VISA installation.
#pragma once

#include <cstdint>

namespace karvel::io {

using ViStatus = std::int32_t;
using ViSession = std::uint32_t;
using ViObject = std::uint32_t;
using ViFindList = std::uint32_t;
using ViAttr = std::uint32_t;
using ViAttrState = std::uint64_t;
using ViUInt32 = std::uint32_t;
using ViInt16 = std::int16_t;
using ViUInt16 = std::uint16_t;
using ViBoolean = std::uint16_t;

constexpr ViSession VI_NULL = 0;
constexpr ViBoolean VI_TRUE = 1;
constexpr ViBoolean VI_FALSE = 0;

// Completion and error codes.
constexpr ViStatus VI_SUCCESS = 0;
constexpr ViStatus VI_SUCCESS_TERM_CHAR = 0x3FFF0005;
constexpr ViStatus VI_SUCCESS_MAX_CNT = 0x3FFF0006;
constexpr ViStatus VI_ERROR_SYSTEM_ERROR = static_cast<ViStatus>(0xBFFF0000);
// A wait given up because the user cancelled the work it belonged to.
constexpr ViStatus VI_ERROR_ABORT = static_cast<ViStatus>(0xBFFF0007);
constexpr ViStatus VI_ERROR_INV_OBJECT = static_cast<ViStatus>(0xBFFF000E);
constexpr ViStatus VI_ERROR_RSRC_NFOUND = static_cast<ViStatus>(0xBFFF0011);
constexpr ViStatus VI_ERROR_INV_RSRC_NAME = static_cast<ViStatus>(0xBFFF0012);
constexpr ViStatus VI_ERROR_RSRC_BUSY = static_cast<ViStatus>(0xBFFF0072);
constexpr ViStatus VI_ERROR_TMO = static_cast<ViStatus>(0xBFFF0015);
constexpr ViStatus VI_ERROR_NSUP_ATTR = static_cast<ViStatus>(0xBFFF001D);
constexpr ViStatus VI_ERROR_NSUP_ATTR_STATE = static_cast<ViStatus>(0xBFFF001E);
constexpr ViStatus VI_ERROR_ATTR_READONLY = static_cast<ViStatus>(0xBFFF001F);
constexpr ViStatus VI_ERROR_INV_SETUP = static_cast<ViStatus>(0xBFFF003A);
constexpr ViStatus VI_ERROR_IO = static_cast<ViStatus>(0xBFFF003E);
constexpr ViStatus VI_ERROR_INV_FMT = static_cast<ViStatus>(0xBFFF003F);
constexpr ViStatus VI_ERROR_CONN_LOST = static_cast<ViStatus>(0xBFFF00A6);
constexpr ViStatus VI_ERROR_ALLOC = static_cast<ViStatus>(0xBFFF003C);
constexpr ViStatus VI_ERROR_INV_MASK = static_cast<ViStatus>(0xBFFF0065);
constexpr ViStatus VI_ERROR_INV_EXPR = static_cast<ViStatus>(0xBFFF0010);

}  // namespace karvel::io

namespace karvel::io {

constexpr ViStatus VI_ERROR_RSRC_LOCKED = static_cast<ViStatus>(0xBFFF000F);
constexpr ViStatus VI_ERROR_INV_ACC_MODE = static_cast<ViStatus>(0xBFFF0013);
constexpr ViStatus VI_ERROR_NSUP_OPER = static_cast<ViStatus>(0xBFFF0067);
constexpr ViStatus VI_ERROR_NSUP_FMT = static_cast<ViStatus>(0xBFFF0041);
constexpr ViStatus VI_ERROR_INV_PARAMETER = static_cast<ViStatus>(0xBFFF0078);

// Attributes.
constexpr ViAttr VI_ATTR_RSRC_NAME = 0xBFFF0002;
constexpr ViAttr VI_ATTR_TERMCHAR = 0x3FFF0018;
constexpr ViAttr VI_ATTR_TMO_VALUE = 0x3FFF001A;
constexpr ViAttr VI_ATTR_ASRL_BAUD = 0x3FFF0021;
constexpr ViAttr VI_ATTR_ASRL_DATA_BITS = 0x3FFF0022;
constexpr ViAttr VI_ATTR_ASRL_PARITY = 0x3FFF0023;
constexpr ViAttr VI_ATTR_ASRL_STOP_BITS = 0x3FFF0024;
constexpr ViAttr VI_ATTR_ASRL_FLOW_CNTRL = 0x3FFF0025;
constexpr ViAttr VI_ATTR_RD_BUF_OPER_MODE = 0x3FFF002A;
constexpr ViAttr VI_ATTR_WR_BUF_OPER_MODE = 0x3FFF002D;
constexpr ViAttr VI_ATTR_SUPPRESS_END_EN = 0x3FFF0036;
constexpr ViAttr VI_ATTR_TERMCHAR_EN = 0x3FFF0038;
constexpr ViAttr VI_ATTR_ASRL_END_IN = 0x3FFF00B3;
constexpr ViAttr VI_ATTR_ASRL_END_OUT = 0x3FFF00B4;
constexpr ViAttr VI_ATTR_RM_SESSION = 0x3FFF00C4;
constexpr ViAttr VI_ATTR_INTF_INST_NAME = 0xBFFF00E9;
constexpr ViAttr VI_ATTR_INTF_TYPE = 0x3FFF0171;

// Attribute values.
constexpr ViAttrState VI_INTF_GPIB = 1;
constexpr ViAttrState VI_INTF_ASRL = 4;
constexpr ViAttrState VI_INTF_TCPIP = 6;
constexpr ViAttrState VI_INTF_USB = 7;
constexpr ViAttrState VI_ASRL_FLOW_NONE = 0;
constexpr ViAttrState VI_ASRL_FLOW_XON_XOFF = 1;
constexpr ViAttrState VI_ASRL_FLOW_RTS_CTS = 2;
constexpr ViAttrState VI_ASRL_FLOW_DTR_DSR = 4;
constexpr ViAttrState VI_ASRL_END_NONE = 0;
constexpr ViAttrState VI_ASRL_END_LAST_BIT = 1;
constexpr ViAttrState VI_ASRL_END_TERMCHAR = 2;
constexpr ViAttrState VI_ASRL_END_BREAK = 3;
constexpr ViAttrState VI_FLUSH_ON_ACCESS = 1;
constexpr ViAttrState VI_FLUSH_WHEN_FULL = 2;
constexpr ViAttrState VI_FLUSH_DISABLE = 3;
constexpr ViAttrState VI_TMO_IMMEDIATE = 0;
constexpr ViAttrState VI_TMO_INFINITE = 0xFFFFFFFFu;

// Masks and modes.
constexpr ViUInt16 VI_READ_BUF = 1;
constexpr ViUInt16 VI_WRITE_BUF = 2;
constexpr ViUInt16 VI_READ_BUF_DISCARD = 4;
constexpr ViUInt16 VI_IO_IN_BUF_DISCARD = 64;
constexpr ViUInt16 VI_IO_OUT_BUF_DISCARD = 128;
constexpr ViUInt32 VI_NO_LOCK = 0;
constexpr ViUInt32 VI_FIND_BUFLEN = 256;

}  // namespace karvel::io
