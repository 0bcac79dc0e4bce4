/* The public header in a C99 program (-pedantic), linked against the shared library: the
 * record sizes C sees are the documented ones, and exports of each kind can be called. */
#include <stdio.h>

#include "qirvale.h"

#define CHECK(condition)                                                    \
    do {                                                                    \
        if (!(condition)) {                                                 \
            fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition); \
            return 1;                                                       \
        }                                                                   \
    } while (0)

int main(void) {
    GOST28147CipherStateHeader cipher;
    GOST34311HashStateHeader hash;
    DSTU4145RNGHeader rng;
    DSTU4145BaseFieldHandle field = {0};
    DSTU4145CurveHandle curve = {0, 0};
    const PBCurveInfo* info = QIRVALEDSTU4145DataPBCurveInfoPtr(101);
    uint8_t digest[32];
    uint16_t code = 0xFFFF;

    CHECK(sizeof cipher == QIRVALE_GOST28147_CIPHER_STATE_HEADER_SIZE);
    CHECK(sizeof hash == QIRVALE_GOST34311_HASH_STATE_HEADER_SIZE);
    CHECK(sizeof rng == QIRVALE_DSTU4145_RNG_HEADER_SIZE);
    CHECK(QIRVALEDSTU4145PBSignBaseFieldSizeOf() == sizeof field);
    CHECK(QIRVALEDSTU4145ONBSignCurveSizeOf() == sizeof curve);
    QIRVALEGOST34311HashInit(&hash, QIRVALEGOST34311HashStdSampleSBoxPtr(), NULL);
    QIRVALEGOST34311HashAction(&hash, (const uint8_t*)"abc", 3);
    QIRVALEGOST34311HashDone(&hash, digest);
    CHECK(info != NULL && info->m == 163);
    CHECK(QIRVALEDSTU4145PBSignBaseFieldCreate(&field, info->m, info->k, info->j, info->l) == 0);
    CHECK(QIRVALEDSTU4145PBSignCurveCreate(&curve, &field, info->coefficientA, info->coefficientB,
                                           info->coefficientBLength, info->order,
                                           info->orderLength) == 0);
    CHECK(QIRVALEDSTU4145PBSignGeneratePrivateKey(digest, sizeof digest, &curve, digest, 0,
                                                  &code) == 1 &&
          code == ResultCodeBadValue);
    QIRVALEDSTU4145PBSignCurveDestroy(&curve);
    QIRVALEDSTU4145PBSignBaseFieldDestroy(&field);
    CHECK(curve.parameters == NULL && field.field == NULL && QIRVALETestGOST28147(0) == 0);
    return 0;
}
