// Definitions of exported functions.
//
// Each export is declared in qirvale.h and defined in the source file of its family with
// QIRVALE_EXPORT, which gives it C linkage and the library's calling convention:
//
//     QIRVALE_EXPORT(uint32_t) QIRVALEGOST28147CipherStateHeaderSizeOf(void) { return 555; }
//
// Where two exported names are one function, the second name is bound to the first body with
// QIRVALE_EXPORT_ALIAS: both symbols have one address, inside the library too. The shared
// object exports both; the DLL's module-definition file (src/exports/qirvale.def) exports the
// second name as `Alias = Target`, the same address.
#pragma once

#include "qirvale.h"

#define QIRVALE_EXPORT(type) extern "C" QIRVALE_API type QIRVALE_CALL

// The alias takes the target's attributes too (GCC infers some, such as nothrow, from the
// body). The parameters must not be called `alias`: the attribute's own name would be
// replaced.
#if defined(__clang__)
#define QIRVALE_ALIAS_ATTRIBUTES(targetName) __alias__(#targetName)
#else
#define QIRVALE_ALIAS_ATTRIBUTES(targetName) __alias__(#targetName), __copy__(targetName)
#endif
#define QIRVALE_EXPORT_ALIAS(aliasName, targetName) \
    extern "C" decltype(targetName) aliasName __attribute__((QIRVALE_ALIAS_ATTRIBUTES(targetName)))
