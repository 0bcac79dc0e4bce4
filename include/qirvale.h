/*
 * qirvale.h - the public C interface of the QIRVALE library.
 *
 * QIRVALE implements the Ukrainian and GOST state standards:
 *   - DSTU 4145-2002 elliptic-curve signatures over GF(2^m), polynomial basis (PB) and
 *     optimal normal basis (ONB), with the standard's recommended curves;
 *   - the DSTU 4145-2002 pseudo-random bit generator;
 *   - the GOST 28147-89 block cipher;
 *   - the GOST 34.311-95 hash function;
 *   - GOST 34.310-95 prime-field signatures and their domain-parameter generation;
 *   - known-answer self-tests of every family.
 *
 * Conventions shared by every export:
 *   - All exports use the C calling convention (cdecl on 32-bit x86) and never let an
 *     exception escape.
 *   - The caller owns every buffer. Numbers, field elements, points and signatures cross the
 *     boundary as little-endian byte strings (first byte least significant) with an explicit
 *     unsigned 32-bit length in bytes. Outputs are zero-padded up to the caller's length.
 *   - "Status" exports return 0 on success and 1 on failure. Those that take an `errorCode`
 *     pointer (always the last argument) write 0 to it before anything else and a code from
 *     QIRVALEResultCode on failure. A well-formed signature that does not verify is reported
 *     as status 0 with code ResultCodeSignatureMismatch and `*verified` = 0.
 *   - When a status is 1 the contents of output buffers are undefined.
 *   - Pointers are not checked for null, except where a comment says null is accepted.
 *   - The library draws no randomness of its own: keys, per-signature random numbers and
 *     base-point seeds are supplied by the caller.
 */
#ifndef QIRVALE_H
#define QIRVALE_H

#include <stdint.h>

/* The version of the library this header belongs to (the build checks that it is the
 * project's version). */
#define QIRVALE_VERSION_MAJOR 1
#define QIRVALE_VERSION_MINOR 0
#define QIRVALE_VERSION_PATCH 0

/* ---------------------------------------------------------------------------------------
 * Linkage and calling convention
 * ------------------------------------------------------------------------------------- */

#if defined(_WIN32) || defined(__CYGWIN__)
#if defined(QIRVALE_BUILDING_LIBRARY)
/* The DLL's export table comes from its module-definition file. */
#define QIRVALE_API
#else
#define QIRVALE_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define QIRVALE_API __attribute__((visibility("default")))
#else
#define QIRVALE_API
#endif

#if defined(_M_IX86) || defined(__i386__)
#if defined(_MSC_VER) || defined(_WIN32)
#define QIRVALE_CALL __cdecl
#else
#define QIRVALE_CALL __attribute__((cdecl))
#endif
#else
#define QIRVALE_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---------------------------------------------------------------------------------------
 * Result codes
 * ------------------------------------------------------------------------------------- */

/** The 16-bit codes written through `errorCode`. No other values are produced. */
enum QIRVALEResultCode {
    /** No error; written at entry by every status export and kept on success. */
    ResultCodeNone = 0,
    /** A generation seed is unusable: GOST 34.310 x0 = 0 or c = 0 or even; a DSTU 4145
     *  per-signature random number e outside 0 < e < n (draw another e). */
    ResultCodeBadSeed = 1,
    /** The result has more significant bytes than the caller's output buffer. */
    ResultCodeBufferTooSmall = 2,
    /** A GOST 34.310 signature component r or s is not in 0 < value < q. */
    ResultCodeSignatureOutOfRange = 3,
    /** A DSTU 4145 private-key random number has more bits than the curve allows. */
    ResultCodeRandomTooLong = 5,
    /** A DSTU 4145 signature is malformed: too short, odd length, or r or s not in 1..n-1. */
    ResultCodeBadSignatureLength = 6,
    /** The operation cannot be carried out: an internal failure (capacity exceeded, division
     *  by zero, allocation failure, failed consistency check) was caught at the boundary; a
     *  handle holds no created object of the export's basis; or the parameters leave no
     *  random number that could succeed (drawing again cannot help; see the exports). */
    ResultCodeInternalFailure = 9,
    /** The signature is well formed but does not verify; the status is 0. */
    ResultCodeSignatureMismatch = 90,
    /** A caller value, or a value derived from it, is outside its valid range. Where the
     *  export takes a random number, another one may succeed: draw again. */
    ResultCodeBadValue = 99
};

/* ---------------------------------------------------------------------------------------
 * State headers and handles
 *
 * The cipher, hash and generator keep their whole state in caller-visible, byte-packed
 * headers of fixed size (identical on every platform). A header may come from the
 * ...Allocate export or be any memory of ...SizeOf bytes, for example a local variable.
 * ------------------------------------------------------------------------------------- */

#define QIRVALE_GOST28147_SBOX_SIZE 128u
#define QIRVALE_GOST28147_KEY_SIZE 32u
#define QIRVALE_GOST28147_BLOCK_SIZE 8u
#define QIRVALE_GOST34311_HASH_SIZE 32u
#define QIRVALE_GOST34310_SIGNATURE_SIZE 64u

#define QIRVALE_GOST28147_CIPHER_STATE_HEADER_SIZE 555u
#define QIRVALE_GOST34311_HASH_STATE_HEADER_SIZE 260u
#define QIRVALE_DSTU4145_RNG_HEADER_SIZE 571u

#pragma pack(push, 1)

/** GOST 28147-89 cipher state, 555 bytes. All multi-byte fields are little-endian. */
typedef struct GOST28147CipherStateHeader {
    uint32_t subkeys[8];                /**< key words K0..K7 (K0 = key bytes 0..3) */
    uint32_t workRegister[2];           /**< N1, N2: synchro, counter, feedback or MAC value */
    uint8_t direction;                  /**< nonzero: encrypt, zero: decrypt */
    uint16_t mode;                      /**< 1 gamma, 2 gamma with feedback, 3 MAC step, else ECB */
    uint32_t substitutionTables[8][16]; /**< S-box row j entry v, shifted left by 4j */
} GOST28147CipherStateHeader;

/** GOST 34.311-95 hash state, 260 bytes. 256-bit quantities are little-endian. */
typedef struct GOST34311HashStateHeader {
    uint8_t sBox[128];         /**< copy of the S-box given at Init */
    uint8_t lengthCounter[32]; /**< message bits processed so far */
    uint8_t checksum[32];      /**< sum of the processed blocks modulo 2^256 */
    uint8_t hashValue[32];     /**< the chaining value H */
    uint8_t blockBuffer[32];   /**< the unfinished block */
    uint32_t bufferedBits;     /**< message bits held in blockBuffer, 0..255 */
} GOST34311HashStateHeader;

/** DSTU 4145-2002 random bit generator state, 571 bytes. */
typedef struct DSTU4145RNGHeader {
    GOST28147CipherStateHeader cipherState; /**< simple replacement, encryption */
    uint8_t encryptedDateTime[8];           /**< I = E(D) */
    uint8_t generatorState[8];              /**< the running value s */
} DSTU4145RNGHeader;

/**
 * Standard DSTU 4145 curve record, polynomial basis. On 32-bit targets the record is the
 * 26-byte packed layout of the standard tables (pointers are 32-bit); on 64-bit targets the
 * pointers are native 8-byte pointers and the record is 34 bytes.
 */
typedef struct PBCurveInfo {
    uint16_t m;                  /**< field degree */
    uint16_t k;                  /**< exponents of t^m + t^k (+ t^j + t^l) + 1 */
    uint16_t j;                  /**< 0 for a trinomial */
    uint16_t l;                  /**< 0 for a trinomial */
    uint16_t coefficientA;       /**< A, 0 or 1 */
    const uint8_t* coefficientB; /**< little-endian bytes of B */
    uint32_t coefficientBLength; /**< ceil(m/8) */
    const uint8_t* order;        /**< little-endian bytes of the base-point order n */
    uint32_t orderLength;        /**< bytes of n */
} PBCurveInfo;

/**
 * Standard DSTU 4145 curve record, optimal normal basis (B in the normal-basis encoding).
 * 20 bytes packed on 32-bit targets; 28 bytes with native pointers on 64-bit targets.
 */
typedef struct ONBCurveInfo {
    uint16_t m;
    uint16_t coefficientA;
    const uint8_t* coefficientB;
    uint32_t coefficientBLength;
    const uint8_t* order;
    uint32_t orderLength;
} ONBCurveInfo;

#pragma pack(pop)

/**
 * A DSTU 4145 base-field handle: one pointer to the field object, null until created.
 * Its size is that of a pointer: 4 bytes on 32-bit targets, 8 on 64-bit targets
 * (QIRVALEDSTU4145PBSignBaseFieldSizeOf reports it). The same handle type serves both bases.
 */
typedef struct DSTU4145BaseFieldHandle {
    void* field;
} DSTU4145BaseFieldHandle;

/**
 * A DSTU 4145 curve handle: two pointers (curve parameters and base-point order), both null
 * until created. 8 bytes on 32-bit targets, 16 on 64-bit targets.
 */
typedef struct DSTU4145CurveHandle {
    void* parameters;
    void* order;
} DSTU4145CurveHandle;

/* ---------------------------------------------------------------------------------------
 * GOST 28147-89 block cipher
 *
 * One Action call processes exactly one 8-byte block, one ActionBlocks call any number of
 * whole blocks; chaining, padding and MAC truncation are left to the caller. No function
 * checks its arguments or reports a failure.
 * ------------------------------------------------------------------------------------- */

/** Sets up a cipher state: expands the 128-byte S-box, stores direction (nonzero = encrypt)
 *  and mode (1 gamma, 2 gamma with feedback, 3 MAC step, any other value simple
 *  replacement), copies the 32-byte key and prepares the register. `synchro` (8 bytes) may
 *  be null: modes 1 and 2 then start from zero; mode 3 ignores it; mode 0 never reads it. */
QIRVALE_API void QIRVALE_CALL QIRVALEGOST28147CipherInit(GOST28147CipherStateHeader* header,
                                                         const uint8_t* sBox, uint8_t direction,
                                                         uint16_t mode, const uint8_t* key,
                                                         const uint8_t* synchro);
/** Processes one 8-byte block in the stored mode; `output` may equal `input`.
 *
 *  Timing and the cache: the substitution looks up the header's tables with indexes that
 *  depend on key and data (one lookup per nibble, eight per round). The tables start at
 *  offset 43 of the header, so unless (header address + 43) is a multiple of 64, each
 *  64-byte table straddles two cache lines, and a process sharing the CPU cache that sees
 *  which line a lookup touched learns on which side of a point, set by the header's
 *  address, that nibble of A + K lay. Gathered over many blocks of known data this reveals
 *  key bits. Finer effects within a line (cache banks, some processors' smaller lines) can
 *  reveal more. The layout is fixed; use ActionBlocks where this matters. */
QIRVALE_API void QIRVALE_CALL QIRVALEGOST28147CipherAction(GOST28147CipherStateHeader* header,
                                                           uint8_t* output, const uint8_t* input);
/** Processes `blockCount` 8-byte blocks (`8 * blockCount` bytes), with the same result as
 *  that many successive CipherAction calls on the same header: the same output blocks and the
 *  same final workRegister, in every mode. `output` may equal `input`; otherwise the two must
 *  not overlap. A count of 0 does nothing.
 *
 *  Simple replacement, gamma and feedback decryption run many blocks side by side; feedback
 *  encryption and the MAC step are chained and run block by block without the per-call cost.
 *  On processors with AVX2 (chosen at run time), the independent modes substitute with byte
 *  shuffles in registers: no memory access depends on key or data. Elsewhere, in the chained
 *  modes, and for tables that Init cannot have written, the lookups go to an aligned copy of
 *  the tables in which every table fills exactly one cache line, so cache-line observation
 *  learns nothing; effects within a line remain as for CipherAction. */
QIRVALE_API void QIRVALE_CALL QIRVALEGOST28147CipherActionBlocks(GOST28147CipherStateHeader* header,
                                                                 uint8_t* output,
                                                                 const uint8_t* input,
                                                                 uint32_t blockCount);
/** Overwrites the whole state with zeros. */
QIRVALE_API void QIRVALE_CALL QIRVALEGOST28147CipherDone(GOST28147CipherStateHeader* header);
/** A zero-filled heap block of 555 bytes, or null. */
QIRVALE_API GOST28147CipherStateHeader* QIRVALE_CALL
QIRVALEGOST28147CipherStateHeaderAllocate(void);
/** Wipes and releases a header; null is ignored. */
QIRVALE_API void QIRVALE_CALL
QIRVALEGOST28147CipherStateHeaderFree(GOST28147CipherStateHeader* header);
/** 555. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEGOST28147CipherStateHeaderSizeOf(void);

/* ---------------------------------------------------------------------------------------
 * GOST 34.311-95 hash
 * ------------------------------------------------------------------------------------- */

/** Starts a hash with a copy of the 128-byte S-box and the 32-byte start value (null means
 *  all zero). */
QIRVALE_API void QIRVALE_CALL QIRVALEGOST34311HashInit(GOST34311HashStateHeader* header,
                                                       const uint8_t* sBox,
                                                       const uint8_t* startHash);
/** Appends `bitCount` bits: whole bytes, then the low bitCount mod 8 bits of the next byte.
 *  A call that ends inside a byte is padded with zero bits to the byte boundary by the next
 *  call; the padding counts in the length. */
QIRVALE_API void QIRVALE_CALL QIRVALEGOST34311HashActionExact(GOST34311HashStateHeader* header,
                                                              const uint8_t* data,
                                                              uint32_t bitCount);
/** Appends `byteCount` whole bytes (any 32-bit count). */
QIRVALE_API void QIRVALE_CALL QIRVALEGOST34311HashAction(GOST34311HashStateHeader* header,
                                                         const uint8_t* data, uint32_t byteCount);
/** Finishes the hash into the 32-byte `hash` and wipes the state. With a null `hash` it only
 *  wipes the state. */
QIRVALE_API void QIRVALE_CALL QIRVALEGOST34311HashDone(GOST34311HashStateHeader* header,
                                                       uint8_t* hash);
/** A zero-filled heap block of 260 bytes, or null. */
QIRVALE_API GOST34311HashStateHeader* QIRVALE_CALL QIRVALEGOST34311HashStateHeaderAllocate(void);
/** Wipes and releases a header; null is ignored. */
QIRVALE_API void QIRVALE_CALL QIRVALEGOST34311HashStateHeaderFree(GOST34311HashStateHeader* header);
/** 260. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEGOST34311HashStateHeaderSizeOf(void);
/** The 128-byte S-box of the standard's worked example (read-only). */
QIRVALE_API const uint8_t* QIRVALE_CALL QIRVALEGOST34311HashStdSampleSBoxPtr(void);

/* ---------------------------------------------------------------------------------------
 * DSTU 4145-2002 random bit generator
 *
 * Output bits are packed least significant bit first. The Ext variants take up to 64 bits
 * from each generator step (bitsPerStep <= 1 behaves as the plain functions).
 * ------------------------------------------------------------------------------------- */

/** Starts the generator from the standard's inputs: cipher S-box (128 bytes), key (32),
 *  start value s (8) and date-time value D (8). */
QIRVALE_API void QIRVALE_CALL QIRVALEDSTU4145RNGCreate(DSTU4145RNGHeader* header,
                                                       const uint8_t* sBox, const uint8_t* key,
                                                       const uint8_t* startValue,
                                                       const uint8_t* dateTime);
/** Starts the generator from a seed of at least 4 bytes, hashed with GOST 34.311 (hash
 *  S-box, start value or null for zero). `dateTime` (8 bytes) may be null. Returns 1 and
 *  changes nothing when the seed is shorter than 4 bytes, else 0. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145RNGCreateExt(
    DSTU4145RNGHeader* header, const uint8_t* seed, uint32_t seedLength, const uint8_t* hashSBox,
    const uint8_t* hashStart, const uint8_t* dateTime, const uint8_t* cipherSBox);
/** One step; writes 0 or 1. */
QIRVALE_API void QIRVALE_CALL QIRVALEDSTU4145RNGGenerateBit(DSTU4145RNGHeader* header,
                                                            uint8_t* bit);
/** Eight steps; the first bit is bit 0. */
QIRVALE_API void QIRVALE_CALL QIRVALEDSTU4145RNGGenerateByte(DSTU4145RNGHeader* header,
                                                             uint8_t* byte);
/** `bitCount` steps into ceil(bitCount/8) bytes; unused high bits of the last byte are 0. */
QIRVALE_API void QIRVALE_CALL QIRVALEDSTU4145RNGGenerateBitSequence(DSTU4145RNGHeader* header,
                                                                    uint8_t* output,
                                                                    uint32_t bitCount);
/** As GenerateBitSequence, taking min(bitsPerStep, 64) bits from each step. */
QIRVALE_API void QIRVALE_CALL QIRVALEDSTU4145RNGGenerateBitSequenceExt(DSTU4145RNGHeader* header,
                                                                       uint8_t* output,
                                                                       uint32_t bitCount,
                                                                       uint16_t bitsPerStep);
/** As GenerateByte, taking min(bitsPerStep, 64) bits from each step. */
QIRVALE_API void QIRVALE_CALL QIRVALEDSTU4145RNGGenerateByteExt(DSTU4145RNGHeader* header,
                                                                uint8_t* byte,
                                                                uint16_t bitsPerStep);
/** Wipes the generator state in place (does not free it). */
QIRVALE_API void QIRVALE_CALL QIRVALEDSTU4145RNGDestroy(DSTU4145RNGHeader* header);
/** A zero-filled heap block of 571 bytes, or null. */
QIRVALE_API DSTU4145RNGHeader* QIRVALE_CALL QIRVALEDSTU4145RNGHeaderAllocate(void);
/** Wipes and releases a header; null is ignored. */
QIRVALE_API void QIRVALE_CALL QIRVALEDSTU4145RNGHeaderFree(DSTU4145RNGHeader* header);
/** 571. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145RNGHeaderSizeOf(void);

/* ---------------------------------------------------------------------------------------
 * GOST 34.310-95 domain parameters
 *
 * p, q and a are written little-endian and zero-padded to the buffer length. Outputs are
 * written only on success. The same arguments always give the same result. Sizes (t, tp, tq)
 * above 4080 bits exceed the capacity of the arithmetic: ResultCodeInternalFailure at once.
 * ------------------------------------------------------------------------------------- */

/** Short procedure, 16-bit generator: p of t bits and q of about t/2 bits from seed x0 and
 *  odd constant c (t <= 16: the smallest prime of t bits and q = 0). Codes, in order:
 *  ResultCodeBadSeed (x0 or c zero, c even), ResultCodeBadValue (the seed leads the search
 *  into a cycle of failing attempts), ResultCodeInternalFailure, ResultCodeBufferTooSmall
 *  (neither buffer written). */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEGOST34310SignGenerateParametersPQ16Short(
    uint8_t* p, uint32_t pLength, uint8_t* q, uint32_t qLength, uint16_t t, uint16_t x0, uint16_t c,
    uint16_t* errorCode);
/** Short procedure, 32-bit generator (x0 and c checked on 32 bits; t <= 32 gives no q). */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEGOST34310SignGenerateParametersPQ32Short(
    uint8_t* p, uint32_t pLength, uint8_t* q, uint32_t qLength, uint16_t t, uint32_t x0, uint32_t c,
    uint16_t* errorCode);
/** Long procedure, 16-bit generator: p of tp bits, q of tq bits (q divides p - 1, with a
 *  512-bit prime cofactor). Codes as the short procedure; ResultCodeBadValue also when
 *  tp < max(tq, 1) + 512, for which no p exists. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEGOST34310SignGenerateParametersPQ16Long(
    uint8_t* p, uint32_t pLength, uint8_t* q, uint32_t qLength, uint16_t tp, uint16_t tq,
    uint16_t x0, uint16_t c, uint16_t* errorCode);
/** Long procedure, 32-bit generator. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEGOST34310SignGenerateParametersPQ32Long(
    uint8_t* p, uint32_t pLength, uint8_t* q, uint32_t qLength, uint16_t tp, uint16_t tq,
    uint32_t x0, uint32_t c, uint16_t* errorCode);
/** a = d^((p-1)/q) mod p for the first d >= 2 that gives a != 1, an element of order q when p
 *  and q are prime. Codes: ResultCodeInternalFailure for p = 0 or q = 0; ResultCodeBadValue
 *  when q = 1 or q does not divide p - 1 (no element of order q), when every d < p - 1 gives
 *  1 (a = 1 is never reported), and when no d up to 1024 gives a != 1 and larger d remain
 *  (degenerate p and q). Primality of p and q is not checked. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEGOST34310SignGenerateParameterA(
    uint8_t* a, uint32_t aLength, const uint8_t* p, uint32_t pLength, const uint8_t* q,
    uint32_t qLength, uint16_t* errorCode);

/* ---------------------------------------------------------------------------------------
 * GOST 34.310-95 keys, signing and verification
 *
 * Signature: 64 bytes, s (32 bytes little-endian) then r (32 bytes little-endian).
 * ------------------------------------------------------------------------------------- */

/** Bit length of q (the largest private key size); 0 on an internal failure. */
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEGOST34310SignPrivateKeyGetMaxSizeInBitsByQ(const uint8_t* q, uint32_t qLength);
/** Bit length of p (the largest public key size); 0 on an internal failure. */
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEGOST34310SignPublicKeyGetMaxSizeInBitsByP(const uint8_t* p, uint32_t pLength);
/** Accepts the caller's random number as private key x when 0 < x < q (else
 *  ResultCodeBadValue: draw another; ResultCodeInternalFailure for q = 0 or q = 1, where no
 *  x exists) and writes it. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEGOST34310SignGeneratePrivateKey(
    uint8_t* x, uint32_t xLength, const uint8_t* q, uint32_t qLength, const uint8_t* random,
    uint32_t randomLength, uint16_t* errorCode);
/** Writes y = a^x mod p. For odd p of at most 4080 bits and a < p (the parameters of the
 *  standard's procedures) the computation takes the same time for every x of a given
 *  length. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEGOST34310SignGeneratePublicKey(
    uint8_t* y, uint32_t yLength, const uint8_t* p, uint32_t pLength, const uint8_t* a,
    uint32_t aLength, const uint8_t* x, uint32_t xLength, uint16_t* errorCode);
/** Signs hash H with private key x and per-signature random number k (0 < k < q) into the
 *  64-byte `signature`; H mod q = 0 is signed as H = 1. Codes, in order:
 *  ResultCodeInternalFailure for q of more than 256 bits; ResultCodeBadValue for an unusable
 *  k (out of range, r = 0 or s = 0: draw another). ResultCodeInternalFailure replaces
 *  ResultCodeBadValue where no k can succeed: q = 0 or 1 (no k in range), q = 2 (its only
 *  k = 1 failed), a = 0 mod p (p = 1 among them; r = 0 for every k). Other domain parameters
 *  on which every k fails (a of order 1, composite p or q) are the caller's to avoid: use
 *  parameters from the generation exports. Nothing is written on a failure. For odd p of at
 *  most 4080 bits, a < p, odd q >= 3, and x and H of at most 510 bytes, the computation takes
 *  the same time for every x and k of given lengths (k read over the bit length of q).
 *  Each thread keeps a table of powers of a made from the last p, a and length of q it signed
 *  with (about 9 KB of public data), so signing many hashes under one set of parameters
 *  skips most of the work on a; VerifyHash keeps one likewise for p of at most 1024 bits. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEGOST34310SignSignHash(
    uint8_t* signature, const uint8_t* p, uint32_t pLength, const uint8_t* q, uint32_t qLength,
    const uint8_t* a, uint32_t aLength, const uint8_t* hash, uint32_t hashLength, const uint8_t* x,
    uint32_t xLength, const uint8_t* k, uint32_t kLength, uint16_t* errorCode);
/** Verifies a 64-byte signature against public key y. Accepted: status 0, `*verified` 1.
 *  Rejected: status 0, code ResultCodeSignatureMismatch. Refused, checked in this order: r or
 *  s out of range 0 < value < q: status 1, ResultCodeSignatureOutOfRange; y outside
 *  2 .. p - 2: status 1, ResultCodeBadValue (y = 1 would accept a forged signature for any
 *  message; y = 0, y = p - 1 and y >= p are as unusable). The export does not check that y
 *  lies in the subgroup of order q (y^q mod p = 1): a caller that takes public keys from
 *  untrusted sources checks that once per key. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEGOST34310SignVerifyHash(
    uint8_t* verified, const uint8_t* p, uint32_t pLength, const uint8_t* q, uint32_t qLength,
    const uint8_t* a, uint32_t aLength, const uint8_t* hash, uint32_t hashLength,
    const uint8_t* signature, const uint8_t* y, uint32_t yLength, uint16_t* errorCode);

/* ---------------------------------------------------------------------------------------
 * DSTU 4145-2002 standard curves
 * ------------------------------------------------------------------------------------- */

/** The polynomial-basis record 101..110, or null for any other index. */
QIRVALE_API const PBCurveInfo* QIRVALE_CALL QIRVALEDSTU4145DataPBCurveInfoPtr(uint16_t curveIndex);
/** The normal-basis record 201..205, or null for any other index. */
QIRVALE_API const ONBCurveInfo* QIRVALE_CALL
QIRVALEDSTU4145DataONBCurveInfoPtr(uint16_t curveIndex);

/* ---------------------------------------------------------------------------------------
 * DSTU 4145-2002, polynomial basis
 *
 * Field elements are little-endian strings whose bit i is the coefficient of t^i. A packed
 * point carries the compression bit in bit 0. Signature: r then s, each in one half of an
 * even-length buffer of at least 2 * (bytes of n). Byte strings of more than 1024 bytes are
 * refused with ResultCodeInternalFailure.
 *
 * A field or curve handle that was never created or has been destroyed may be passed to any
 * export: status exports then return 1 with ResultCodeInternalFailure (status-only exports
 * return 1 with `*valid` 0), size queries return 0, and CurveCreate from such a field
 * returns 1. The same holds for a handle created by the other basis (the handle types are
 * shared, the objects are not): every object a handle points to records its kind, checked
 * before use. Destroy and Free leave a handle of the other basis as it is (release it with
 * its own basis). The kind is wiped when an object is destroyed, so that a stale copy of a
 * destroyed handle is refused while its memory has not been reused (passing one remains a
 * caller error). The size
 * queries that are one function for both bases (PrivateKeyGetMaxSizeInBitsByCurve,
 * SignRandomNumberMaxBitCountByCurve, SignMinByteCount) accept a curve of either basis.
 * Created fields and curves are never modified and may be shared by threads.
 *
 * Random numbers. Code 1 for e and code 99 from GeneratePrivateKey, CreatePreSign,
 * SignHashByPreSign, SignHash and CurveGenBasePoint mean "draw a fresh random number and call
 * again". Where the curve or base point leaves no random number that can succeed, the
 * key and signing exports answer ResultCodeInternalFailure in place of that code: n = 0 or
 * n = 1 (no d, no e with 0 < e < n), n = 2 when its only e = 1 fails, and a base point with
 * x = 0 (the point at infinity (0, 0), the point (0, sqrt B) of order 2, any (0, y)), all of
 * whose multiples have x = 0. These tests stand where the retry code would be given and
 * change no other result. What stays the caller's responsibility: a curve whose n is a large
 * prime and the order of a subgroup (CurveGenBasePoint draws U for ever otherwise), and a
 * base point P that passes CurveVerifyBasePoint; with another P (of small order, off the
 * curve, coordinates of more than m bits) every e may fail for some hashes, undetected.
 * ------------------------------------------------------------------------------------- */

/** A zero-filled base-field handle, or null (one function with the ONB twin). */
QIRVALE_API DSTU4145BaseFieldHandle* QIRVALE_CALL QIRVALEDSTU4145PBSignBaseFieldAllocate(void);
/** The size of a base-field handle: the size of a pointer. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145PBSignBaseFieldSizeOf(void);
/** Destroys the field, then releases the handle; null and a handle of the other basis are
 *  ignored. */
QIRVALE_API void QIRVALE_CALL QIRVALEDSTU4145PBSignBaseFieldFree(DSTU4145BaseFieldHandle* field);
/** Creates GF(2^m) with t^m + t^k + 1 (j = l = 0) or t^m + t^k + t^j + t^l + 1
 *  (m > k > j > l >= 1). Returns 1 for exponents out of order, m >= 8192, a reducible
 *  polynomial or an allocation failure; the handle is then null. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145PBSignBaseFieldCreate(
    DSTU4145BaseFieldHandle* field, uint16_t m, uint16_t k, uint16_t j, uint16_t l);
/** Wipes and releases the field object; the handle becomes null. Null handles: no effect; a
 *  handle of the other basis is left as it is. */
QIRVALE_API void QIRVALE_CALL QIRVALEDSTU4145PBSignBaseFieldDestroy(DSTU4145BaseFieldHandle* field);
/** A zero-filled curve handle, or null (one function with the ONB twin). */
QIRVALE_API DSTU4145CurveHandle* QIRVALE_CALL QIRVALEDSTU4145PBSignCurveAllocate(void);
/** The size of a curve handle: two pointers. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145PBSignCurveSizeOf(void);
/** Destroys the curve, then releases the handle; null and a handle of the other basis are
 *  ignored. */
QIRVALE_API void QIRVALE_CALL QIRVALEDSTU4145PBSignCurveFree(DSTU4145CurveHandle* curve);
/** Creates y^2 + xy = x^3 + A x^2 + B over a copy of the field, with base-point order n.
 *  A must be 0 or 1, and the field one of this basis. The field may be destroyed
 *  afterwards. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145PBSignCurveCreate(
    DSTU4145CurveHandle* curve, const DSTU4145BaseFieldHandle* field, uint16_t a, const uint8_t* b,
    uint32_t bLength, const uint8_t* n, uint32_t nLength);
/** Wipes and releases the curve objects; the pointers become null. A handle of the other
 *  basis is left as it is. */
QIRVALE_API void QIRVALE_CALL QIRVALEDSTU4145PBSignCurveDestroy(DSTU4145CurveHandle* curve);
/** m. */
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEDSTU4145PBSignBaseFieldElementMaxSizeInBitsByField(const DSTU4145BaseFieldHandle* field);
/** m (one function with PointPackMaxSizeInBitsByField and PreSignMaxBitCount). */
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEDSTU4145PBSignCurvePointCoordMaxSizeInBitsByField(const DSTU4145BaseFieldHandle* field);
/** m. */
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEDSTU4145PBSignCurvePointPackMaxSizeInBitsByField(const DSTU4145BaseFieldHandle* field);
/** m, the size of a pre-signature F_e. */
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEDSTU4145PBSignPreSignMaxBitCount(const DSTU4145BaseFieldHandle* field);
/** Packs the point (x, y) into one field element (not checked to lie on the curve). */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145PBSignCurvePackPoint(
    uint8_t* packed, uint32_t packedLength, const DSTU4145CurveHandle* curve, const uint8_t* x,
    uint32_t xLength, const uint8_t* y, uint32_t yLength, uint16_t* errorCode);
/** Unpacks a point; ResultCodeInternalFailure when no point has that packed form. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145PBSignCurveUnPackPoint(
    uint8_t* x, uint32_t xLength, uint8_t* y, uint32_t yLength, const DSTU4145CurveHandle* curve,
    const uint8_t* packed, uint32_t packedLength, uint16_t* errorCode);
/** Makes a base point of order n from a random field element U; ResultCodeBadValue when U
 *  gives none (draw another U). n must be the order of a subgroup of the curve: otherwise
 *  every U may fail, and this is not detected. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145PBSignCurveGenBasePoint(
    uint8_t* x, uint32_t xLength, uint8_t* y, uint32_t yLength, const DSTU4145CurveHandle* curve,
    const uint8_t* u, uint32_t uLength, uint16_t* errorCode);
/** `*valid` = 1 when (x, y) is not (0, 0), both coordinates have at most m bits, the point
 *  is on the curve and n * P is the point at infinity. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145PBSignCurveVerifyBasePoint(
    uint8_t* valid, const DSTU4145CurveHandle* curve, const uint8_t* x, uint32_t xLength,
    const uint8_t* y, uint32_t yLength);
/** Bit length of n minus 1 (one function with SignRandomNumberMaxBitCountByCurve and the
 *  ONB twins). */
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEDSTU4145PBSignPrivateKeyGetMaxSizeInBitsByCurve(const DSTU4145CurveHandle* curve);
/** Bit length of n minus 1. */
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEDSTU4145PBSignSignRandomNumberMaxBitCountByCurve(const DSTU4145CurveHandle* curve);
/** 2 * (significant bytes of n): the smallest signature length (one function with the ONB
 *  twin). */
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEDSTU4145PBSignSignMinByteCount(const DSTU4145CurveHandle* curve);
/** Accepts the caller's random number as private key d. Codes: ResultCodeRandomTooLong
 *  (more bits than the bit length of n minus 1), ResultCodeBadValue (zero: draw another;
 *  ResultCodeInternalFailure for n = 0 or 1, where no d exists), ResultCodeBufferTooSmall. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145PBSignGeneratePrivateKey(
    uint8_t* d, uint32_t dLength, const DSTU4145CurveHandle* curve, const uint8_t* random,
    uint32_t randomLength, uint16_t* errorCode);
/** Q = -(d * P). */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145PBSignGeneratePublicKey(
    uint8_t* qx, uint32_t qxLength, uint8_t* qy, uint32_t qyLength,
    const DSTU4145CurveHandle* curve, const uint8_t* px, uint32_t pxLength, const uint8_t* py,
    uint32_t pyLength, const uint8_t* d, uint32_t dLength, uint16_t* errorCode);
/** `*valid` = 1 when -(d * P) = (qx, qy). */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145PBSignVerifyPrivateKey(
    uint8_t* valid, const DSTU4145CurveHandle* curve, const uint8_t* px, uint32_t pxLength,
    const uint8_t* py, uint32_t pyLength, const uint8_t* qx, uint32_t qxLength, const uint8_t* qy,
    uint32_t qyLength, const uint8_t* d, uint32_t dLength);
/** The base-point check applied to a public key: run it once on every public key before
 *  verifying with it, since VerifyHash checks that Q is a point of the curve but not its
 *  order. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145PBSignVerifyPublicKey(
    uint8_t* valid, const DSTU4145CurveHandle* curve, const uint8_t* qx, uint32_t qxLength,
    const uint8_t* qy, uint32_t qyLength);
/** Pre-signature F_e = x(e * P) for a random e, 0 < e < n (else ResultCodeBadSeed);
 *  ResultCodeBadValue when F_e = 0 (draw another e). ResultCodeInternalFailure where no e
 *  can succeed: n = 0 or 1 (in place of ResultCodeBadSeed), P with x = 0 or n = 2 (in place
 *  of ResultCodeBadValue). A pre-signature (e, F_e) is as secret as the private key and must
 *  sign one hash only: two signatures with the same e give d away. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145PBSignCreatePreSign(
    uint8_t* f, uint32_t fLength, const DSTU4145CurveHandle* curve, const uint8_t* px,
    uint32_t pxLength, const uint8_t* py, uint32_t pyLength, const uint8_t* e, uint32_t eLength,
    uint16_t* errorCode);
/** Signs a hash with a pre-signature (e, F_e), used once only (see CreatePreSign). Codes,
 *  in order: ResultCodeBadSeed for e outside 0 < e < n (with e = 0 or e = n, s = d r would
 *  reveal d; ResultCodeInternalFailure for n = 0 or 1); ResultCodeBadSignatureLength for a
 *  signature buffer that is odd or shorter than the minimum; ResultCodeBadValue when r or s
 *  is 0 (make another pre-signature; ResultCodeInternalFailure for n = 2). F_e is not checked
 *  to belong to e. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145PBSignSignHashByPreSign(
    uint8_t* signature, uint32_t signatureLength, const DSTU4145CurveHandle* curve,
    const uint8_t* px, uint32_t pxLength, const uint8_t* py, uint32_t pyLength, const uint8_t* hash,
    uint32_t hashLength, const uint8_t* d, uint32_t dLength, const uint8_t* e, uint32_t eLength,
    const uint8_t* f, uint32_t fLength, uint16_t* errorCode);
/** CreatePreSign followed by SignHashByPreSign, with their codes. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145PBSignSignHash(
    uint8_t* signature, uint32_t signatureLength, const DSTU4145CurveHandle* curve,
    const uint8_t* px, uint32_t pxLength, const uint8_t* py, uint32_t pyLength, const uint8_t* hash,
    uint32_t hashLength, const uint8_t* d, uint32_t dLength, const uint8_t* e, uint32_t eLength,
    uint16_t* errorCode);
/** Verifies a signature under public key Q. Accepted: status 0, `*verified` 1. Rejected:
 *  status 0, ResultCodeSignatureMismatch. Checks, in order: a malformed signature (length,
 *  r or s outside 1 .. n-1): status 1, ResultCodeBadSignatureLength; then a P or Q that is
 *  the point at infinity (0, 0), has a coordinate of more than m bits or does not satisfy the
 *  curve equation: status 1, ResultCodeBadValue (under such a Q signatures could be forged).
 *  The order of Q is not checked here: check each public key once with VerifyPublicKey. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145PBSignVerifyHash(
    uint8_t* verified, const DSTU4145CurveHandle* curve, const uint8_t* px, uint32_t pxLength,
    const uint8_t* py, uint32_t pyLength, const uint8_t* hash, uint32_t hashLength,
    const uint8_t* signature, uint32_t signatureLength, const uint8_t* qx, uint32_t qxLength,
    const uint8_t* qy, uint32_t qyLength, uint16_t* errorCode);

/* ---------------------------------------------------------------------------------------
 * DSTU 4145-2002, optimal normal basis
 *
 * Same operations, arguments and codes as the polynomial basis. Field elements use the
 * normal-basis encoding: bit t is the coefficient of beta^(2^(m-1-t)), so the unit element
 * is 2^m - 1 and a packed point carries its compression bit in bit m-1.
 * ------------------------------------------------------------------------------------- */

/** One function with QIRVALEDSTU4145PBSignBaseFieldAllocate. */
QIRVALE_API DSTU4145BaseFieldHandle* QIRVALE_CALL QIRVALEDSTU4145ONBSignBaseFieldAllocate(void);
/** One function with QIRVALEDSTU4145PBSignBaseFieldSizeOf. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145ONBSignBaseFieldSizeOf(void);
QIRVALE_API void QIRVALE_CALL QIRVALEDSTU4145ONBSignBaseFieldFree(DSTU4145BaseFieldHandle* field);
/** Creates GF(2^m) in an optimal normal basis of type II, which exists exactly when p = 2m + 1
 *  is prime and 2 generates the multiplicative group modulo p, or p = 3 (mod 4) and 2 has
 *  order m modulo p (the standard degrees 173, 179, 191, 233 and 431 qualify). Returns 1 for
 *  every other m (m = 0, 4, 12, 24, 60, ...), for m > 8176, or on allocation failure; the
 *  handle is then null. */
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEDSTU4145ONBSignBaseFieldCreate(DSTU4145BaseFieldHandle* field, uint16_t m);
QIRVALE_API void QIRVALE_CALL
QIRVALEDSTU4145ONBSignBaseFieldDestroy(DSTU4145BaseFieldHandle* field);
/** One function with QIRVALEDSTU4145PBSignCurveAllocate. */
QIRVALE_API DSTU4145CurveHandle* QIRVALE_CALL QIRVALEDSTU4145ONBSignCurveAllocate(void);
/** One function with QIRVALEDSTU4145PBSignCurveSizeOf. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145ONBSignCurveSizeOf(void);
QIRVALE_API void QIRVALE_CALL QIRVALEDSTU4145ONBSignCurveFree(DSTU4145CurveHandle* curve);
/** A = 1 stands for the unit element 2^m - 1. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145ONBSignCurveCreate(
    DSTU4145CurveHandle* curve, const DSTU4145BaseFieldHandle* field, uint16_t a, const uint8_t* b,
    uint32_t bLength, const uint8_t* n, uint32_t nLength);
QIRVALE_API void QIRVALE_CALL QIRVALEDSTU4145ONBSignCurveDestroy(DSTU4145CurveHandle* curve);
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEDSTU4145ONBSignBaseFieldElementMaxSizeInBitsByField(const DSTU4145BaseFieldHandle* field);
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEDSTU4145ONBSignCurvePointCoordMaxSizeInBitsByField(const DSTU4145BaseFieldHandle* field);
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEDSTU4145ONBSignCurvePointPackMaxSizeInBitsByField(const DSTU4145BaseFieldHandle* field);
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEDSTU4145ONBSignPreSignMaxBitCount(const DSTU4145BaseFieldHandle* field);
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145ONBSignCurvePackPoint(
    uint8_t* packed, uint32_t packedLength, const DSTU4145CurveHandle* curve, const uint8_t* x,
    uint32_t xLength, const uint8_t* y, uint32_t yLength, uint16_t* errorCode);
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145ONBSignCurveUnPackPoint(
    uint8_t* x, uint32_t xLength, uint8_t* y, uint32_t yLength, const DSTU4145CurveHandle* curve,
    const uint8_t* packed, uint32_t packedLength, uint16_t* errorCode);
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145ONBSignCurveGenBasePoint(
    uint8_t* x, uint32_t xLength, uint8_t* y, uint32_t yLength, const DSTU4145CurveHandle* curve,
    const uint8_t* u, uint32_t uLength, uint16_t* errorCode);
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145ONBSignCurveVerifyBasePoint(
    uint8_t* valid, const DSTU4145CurveHandle* curve, const uint8_t* x, uint32_t xLength,
    const uint8_t* y, uint32_t yLength);
/** One function with QIRVALEDSTU4145PBSignPrivateKeyGetMaxSizeInBitsByCurve. */
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEDSTU4145ONBSignPrivateKeyGetMaxSizeInBitsByCurve(const DSTU4145CurveHandle* curve);
/** One function with QIRVALEDSTU4145PBSignPrivateKeyGetMaxSizeInBitsByCurve. */
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEDSTU4145ONBSignSignRandomNumberMaxBitCountByCurve(const DSTU4145CurveHandle* curve);
/** One function with QIRVALEDSTU4145PBSignSignMinByteCount. */
QIRVALE_API uint32_t QIRVALE_CALL
QIRVALEDSTU4145ONBSignSignMinByteCount(const DSTU4145CurveHandle* curve);
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145ONBSignGeneratePrivateKey(
    uint8_t* d, uint32_t dLength, const DSTU4145CurveHandle* curve, const uint8_t* random,
    uint32_t randomLength, uint16_t* errorCode);
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145ONBSignGeneratePublicKey(
    uint8_t* qx, uint32_t qxLength, uint8_t* qy, uint32_t qyLength,
    const DSTU4145CurveHandle* curve, const uint8_t* px, uint32_t pxLength, const uint8_t* py,
    uint32_t pyLength, const uint8_t* d, uint32_t dLength, uint16_t* errorCode);
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145ONBSignVerifyPrivateKey(
    uint8_t* valid, const DSTU4145CurveHandle* curve, const uint8_t* px, uint32_t pxLength,
    const uint8_t* py, uint32_t pyLength, const uint8_t* qx, uint32_t qxLength, const uint8_t* qy,
    uint32_t qyLength, const uint8_t* d, uint32_t dLength);
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145ONBSignVerifyPublicKey(
    uint8_t* valid, const DSTU4145CurveHandle* curve, const uint8_t* qx, uint32_t qxLength,
    const uint8_t* qy, uint32_t qyLength);
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145ONBSignCreatePreSign(
    uint8_t* f, uint32_t fLength, const DSTU4145CurveHandle* curve, const uint8_t* px,
    uint32_t pxLength, const uint8_t* py, uint32_t pyLength, const uint8_t* e, uint32_t eLength,
    uint16_t* errorCode);
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145ONBSignSignHashByPreSign(
    uint8_t* signature, uint32_t signatureLength, const DSTU4145CurveHandle* curve,
    const uint8_t* px, uint32_t pxLength, const uint8_t* py, uint32_t pyLength, const uint8_t* hash,
    uint32_t hashLength, const uint8_t* d, uint32_t dLength, const uint8_t* e, uint32_t eLength,
    const uint8_t* f, uint32_t fLength, uint16_t* errorCode);
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145ONBSignSignHash(
    uint8_t* signature, uint32_t signatureLength, const DSTU4145CurveHandle* curve,
    const uint8_t* px, uint32_t pxLength, const uint8_t* py, uint32_t pyLength, const uint8_t* hash,
    uint32_t hashLength, const uint8_t* d, uint32_t dLength, const uint8_t* e, uint32_t eLength,
    uint16_t* errorCode);
QIRVALE_API uint32_t QIRVALE_CALL QIRVALEDSTU4145ONBSignVerifyHash(
    uint8_t* verified, const DSTU4145CurveHandle* curve, const uint8_t* px, uint32_t pxLength,
    const uint8_t* py, uint32_t pyLength, const uint8_t* hash, uint32_t hashLength,
    const uint8_t* signature, uint32_t signatureLength, const uint8_t* qx, uint32_t qxLength,
    const uint8_t* qy, uint32_t qyLength, uint16_t* errorCode);

/* ---------------------------------------------------------------------------------------
 * Known-answer self-tests: 0 when every step and comparison succeeded, nonzero otherwise.
 * ------------------------------------------------------------------------------------- */

/** Cipher case 0 (simple replacement), 1 (gamma), 2 (gamma with feedback), 3 (MAC step);
 *  any other case number returns 1. */
QIRVALE_API uint32_t QIRVALE_CALL QIRVALETestGOST28147(uint16_t caseNumber);
QIRVALE_API uint32_t QIRVALE_CALL QIRVALETestGOST34311(void);
QIRVALE_API uint32_t QIRVALE_CALL QIRVALETestGOST34310(void);
QIRVALE_API uint32_t QIRVALE_CALL QIRVALETestDSTU4145PB(void);
QIRVALE_API uint32_t QIRVALE_CALL QIRVALETestDSTU4145ONB(void);

#ifdef __cplusplus
}
#endif

#endif /* QIRVALE_H */
