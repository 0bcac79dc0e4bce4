// Definitions of exported functions.
//
// Each export is declared in qirvale.h and defined in the source file of its family with
// QIRVALE_EXPORT, which gives it C linkage and the library's calling convention:
//
//     QIRVALE_EXPORT(uint32_t) QIRVALEGOST28147CipherStateHeaderSizeOf(void) { return 555; }
//
// Where two exported names are one function, the second name is bound to the first body with
// QIRVALE_EXPORT_ALIAS. On ELF both names resolve to one address; on Windows the
// module-definition file (src/exports/qirvale.def) binds the second name to the first.
#pragma once

#include "qirvale.h"

#define QIRVALE_EXPORT(type) extern "C" QIRVALE_API type QIRVALE_CALL

#if defined(_WIN32) || defined(__CYGWIN__)
#define QIRVALE_EXPORT_ALIAS(alias, target)
#else
#define QIRVALE_EXPORT_ALIAS(alias, target) \
    extern "C" decltype(target) alias __attribute__((alias(#target)))
#endif
