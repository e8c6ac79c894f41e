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
