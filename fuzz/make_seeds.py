#!/usr/bin/env python3
"""Writes the hand-made seeds of the fuzz targets into fuzz/corpus/<target>/seed-*.

Each seed encodes, in the format the target's FuzzInput reads (fuzz_support.h), a call
sequence that reaches the deep paths at once: the standards' worked examples, valid keys and
signatures, real curves. The fuzzer mutates from there. Run it again after changing a
target's input format; inputs that fuzzing found (crash-* regressions, merged inputs) are left
alone.

    python3 fuzz/make_seeds.py
"""
import os
import struct

CORPUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


class Input:
    """Mirror of FuzzInput: integers little-endian, ranges as raw values reduced modulo the
    span, strings with their length first."""

    def __init__(self):
        self.data = bytearray()

    def u8(self, v):
        self.data += struct.pack("<B", v)
        return self

    def u16(self, v):
        self.data += struct.pack("<H", v)
        return self

    def u32(self, v):
        self.data += struct.pack("<I", v)
        return self

    def range(self, low, high, v):
        span = high - low
        assert low <= v <= high
        if span < 0x100:
            return self.u8(v - low)
        if span < 0x10000:
            return self.u16(v - low)
        return self.u32(v - low)

    def bytes(self, max_length, data):
        self.range(0, max_length, len(data))
        self.data += data
        return self

    def fixed(self, length, data=b""):
        assert len(data) <= length
        self.data += data + bytes(length - len(data))
        return self


def h(text):
    return bytes.fromhex(text)


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "seed-" + name), "wb") as f:
        f.write(bytes(data))


# ---- GOST 34.311 / GOST 28147 data -------------------------------------------------------
# An S-box of eight permutations of 0..15 (the hash target also uses the standard's sample box).
SAMPLE_SBOX = bytes((7 * v + 3 * j + 1) % 16 for j in range(8) for v in range(16))
KEY = bytes(range(32))

# ---- symmetric_fuzz ------------------------------------------------------------------------


def symmetric_seeds():
    t = "symmetric_fuzz"
    for mode in range(3):  # operation 16: encrypt and decrypt again
        s = Input().u8(16).fixed(128, SAMPLE_SBOX).fixed(32, KEY).fixed(8, b"synchro!")
        write(t, "roundtrip-mode%d" % mode, s.range(0, 2, mode).range(1, 8, 3).fixed(24, b"x" * 24).data)
    # operation 17: hash split, with the standard's sample box
    write(t, "hash-split", Input().u8(17).u8(1).fixed(128).bytes(512, b"message digest" * 5)
          .range(0, 70, 33).data)
    # init, exact bits, bytes, done
    s = Input().u8(4).u8(1).fixed(128).u8(0).fixed(32)
    s.u8(5).bytes(300, b"\xff" * 40).range(0, 320, 257)
    s.u8(6).bytes(300, b"abc" * 30)
    s.u8(7).u8(1)
    write(t, "hash-sequence", s.data)
    # cipher in every mode, in place and not
    for mode in (0, 1, 2, 3, 7):
        s = Input().u8(0).fixed(128, SAMPLE_SBOX).fixed(32, KEY).u8(1).u16(mode).u8(1).fixed(8, b"12345678")
        s.u8(1).fixed(8, b"block #1").u8(2).fixed(8, b"block #2").u8(1).fixed(8).u8(3)
        write(t, "cipher-mode%d" % mode, s.data)
    # generator: create, draws of every kind, Ext create, agreement, destroy
    s = Input().u8(8).fixed(128, SAMPLE_SBOX).fixed(32, KEY).fixed(8, b"start!!!").fixed(8, b"20020101")
    s.u8(10).u8(11).u8(0).u16(0).u8(11).u8(1).u16(64)
    s.u8(12).range(0, 4096, 1001).u16(13).u8(1)
    s.u8(18).range(1, 256, 77).range(0, 1, 1).u8(1)
    s.u8(19).fixed(8, b"abcdefgh").u8(13)
    write(t, "generator", s.data)
    s = Input().u8(9).bytes(96, b"seed bytes").fixed(128, SAMPLE_SBOX).fixed(128, SAMPLE_SBOX).u8(3)
    s.fixed(32, b"\x01" * 32).fixed(8, b"datetime").u8(12).range(0, 4096, 4096).u16(1).u8(0)
    write(t, "generator-ext", s.data)
    write(t, "generator-short-seed", Input().u8(9).bytes(96, b"abc").fixed(256).u8(0).fixed(40).data)
    # damaged headers, then use
    s = Input().u8(14).range(0, 2, 1).range(0, 259, 256).bytes(4, b"\xff\xff\xff\xff")
    s.u8(6).bytes(300, b"data").u8(7).u8(1)
    s.u8(14).range(0, 2, 0).range(0, 554, 40).bytes(3, b"\x02\x03\x00").u8(1).fixed(8)
    write(t, "damaged", s.data)
    write(t, "allocate", Input().u8(15).data)


# ---- GOST 34.310 ---------------------------------------------------------------------------
A_P = h("E379C3B1C95E19F26E9765D145C3B06B78395884397517230F19E943B3120AEA8633DCE52C3297BC634D7A97E2104585692AB89EB85993B68F609689AE7281EE")
A_Q = h("2DDD496FACF089720DD55D28C7BD64B0DD0948F2881EA3CDDF5E26C87E5E9198")
A_A = h("1CE223CEA62A145B49D8C36AD42CBE8EB1AAB52ABE48D60493509EA484597506F2500DB537887C6F0A27B6B43825ADAF2721DEAFD48295864A77C8001503969E")
A_X = h("4630443831433238373241313442323544323542453036343038303845313630")
A_Y = h("52431F70A267E6CE9FBE591208C3E1AFDAEDA2E6D69C582625276E1AC1194532DFA68B01270DF0CA0199FA65D1F9358E12915FC5ADB5C1ED73D29206A40219EE")
A_H = h("3042453136414534424341374533364339313734453431443642453241453435")
A_K = h("2AC7F42D36E6070839F5E4645C10B71138228E4C22BB6E18F542924364A5F390")
A_SIG = h("5509A61551B8DA5648C7372E5929F7DBB63474FF05E54C8EC0470D40D4D50D3F06AC323AD44FC47B80BDBD7AC584B75781450A2763072CD5D2816D275E895F3E")


def gost34310_seeds():
    t = "gost34310_parameters_fuzz"
    write(t, "pq16-short", Input().u8(0).u16(256).u16(24265).u16(29505).range(0, 96, 32).range(0, 96, 16).data)
    write(t, "pq32-short", Input().u8(1).u16(200).u32(1039943409).u32(13).range(0, 96, 25).range(0, 96, 13).data)
    write(t, "pq16-short-tiny", Input().u8(0).u16(16).u16(5).u16(7).range(0, 96, 2).range(0, 96, 0).data)
    write(t, "pq16-short-small-buffer", Input().u8(0).u16(256).u16(24265).u16(29505).range(0, 96, 31).range(0, 96, 16).data)
    write(t, "pq16-short-bad-seed", Input().u8(0).u16(256).u16(0).u16(29505).range(0, 96, 32).range(0, 96, 16).data)
    write(t, "pq32-short-oversized", Input().u8(1).u16(5000).u32(3).u32(5).range(0, 96, 96).range(0, 96, 96).data)
    for kind, (tq, tp) in enumerate([(256, 700), (5000, 600), (32, 32 + 528 + 20)]):
        write(t, "pq16-long-kind%d" % kind, Input().u8(2).u16(tq).u16(tp).u8(kind).u16(42341).u16(21387)
              .range(0, 96, 96).range(0, 96, 96).data)
        write(t, "pq32-long-kind%d" % kind, Input().u8(3).u16(tq).u16(tp).u8(kind).u32(1039943409).u32(13)
              .range(0, 96, 96).range(0, 96, 96).data)
    write(t, "element-a", Input().u8(4).u8(0).bytes(96, A_P).bytes(96, A_Q).range(0, 96, 64).data)
    write(t, "element-a-q1", Input().u8(4).u8(0).bytes(96, A_P).bytes(96, b"\x01").range(0, 96, 64).data)
    write(t, "element-a-oversized", Input().u8(4).u8(0xFF).fixed(1024 + 3, A_P).bytes(96, A_Q).range(0, 96, 64).data)
    write(t, "parameters-then-a", Input().u8(6).range(34, 256, 128).u32(12345).u32(777).data)

    t = "gost34310_signature_fuzz"

    def number(s, value):
        return s.u8(0).bytes(160, value)

    s = Input().u8(0)
    number(s, A_Q)
    write(t, "size-queries", s.data)
    s = Input().u8(1)
    number(number(s, A_Q), A_X).range(0, 200, 32)
    write(t, "private-key", s.data)
    s = Input().u8(2)
    number(number(number(s, A_P), A_A), A_X).range(0, 200, 64)
    write(t, "public-key", s.data)
    s = Input().u8(3)
    for value in (A_P, A_Q, A_A, A_H, A_X, A_K):
        number(s, value)
    write(t, "sign", s.data)
    s = Input().u8(4)
    for value in (A_P, A_Q, A_A, A_H, A_Y):
        number(s, value)
    write(t, "verify", s.fixed(64, A_SIG).data)
    for index in range(3):
        s = Input().u8(5).range(0, 2, index).bytes(40, A_X[:8]).bytes(40, A_K[:6]).bytes(40, A_H)
        write(t, "roundtrip-set%d" % index, s.range(0, 511, 300).data)


# ---- curve tables ----------------------------------------------------------------------------


def curve_table_seeds():
    t = "curve_tables_fuzz"
    for index in (101, 110, 201, 205, 0, 100, 111, 200, 206, 0xFFFF):
        write(t, "index-%d" % index, Input().u16(index).data)


# ---- DSTU 4145 -------------------------------------------------------------------------------
PB_DEGREES = [163, 167, 173, 179, 191, 233, 257, 307, 367, 431]  # records 101..110
ONB_DEGREES = [173, 179, 191, 233, 431]  # records 201..205


def dstu_session(choice, m, order_bytes, attempts=12):
    """A standard curve, base point attempts, a key pair, signatures and their checks."""
    eb = (m + 7) // 8
    s = Input().u8(2).u8(choice).u8(choice & 1)  # standard curve; destroy the field or not
    for u in range(attempts):  # GenBasePoint with U = 2, 3, ...: some give a point
        s.u8(5).u8(0).bytes(eb, bytes([u + 2, 0x5A, u])).range(0, eb + 4, eb).range(0, eb + 4, eb)
    s.u8(12)  # size queries
    s.u8(7).u8(0).bytes(72, b"\x11\x22\x33\x44\x55").range(0, 72, 8)  # private key
    s.u8(8).u8(1).u8(1).range(0, eb + 4, eb).range(0, eb + 4, eb)  # public key of own P, d
    s.u8(3).u8(1).range(0, eb + 4, eb)  # pack own P (unpacks back on a standard curve)
    length = 2 * order_bytes
    for e in (b"\x07\x06\x05", b"\xff" * 8):  # two signatures, then a changed one each
        s.u8(10).u8(1).u8(1).u8(0).bytes(72, e).bytes(eb + 8, b"hash of a document")
        s.u8(1).range(0, 4, 0).range(0, eb + 4, eb).range(0, 8 * length - 1, 5)
    s.u8(11).u8(1).u8(1).bytes(eb + 8, b"hash").bytes(152, bytes(range(1, length + 1)))
    s.u8(4).u8(0).bytes(eb, b"\x03\x01").range(0, eb + 4, eb).range(0, eb + 4, eb)
    s.u8(13).u8(2).u8(9)  # destroy both, then a signature on the uncreated curve
    return s.data


def dstu_seeds():
    for choice, m in enumerate(PB_DEGREES):
        write("dstu4145_pb_fuzz", "curve%d" % (101 + choice), dstu_session(choice, m, (m + 7) // 8))
    for choice, m in enumerate(ONB_DEGREES[:4]):
        write("dstu4145_onb_fuzz", "curve%d" % (201 + choice), dstu_session(choice, m, (m + 7) // 8))
    # field creation of every kind, arbitrary curves, handles, lifecycles
    pb = Input().u8(0).u16(8191).u16(714).u16(0).u16(0).u8(0)  # the largest trinomial field
    pb.u8(1).u16(1).u8(1).u8(0).bytes(1031, b"\x01" * 1024).u8(0).bytes(80, b"\x05")
    pb.u8(4).u8(0).bytes(1030, b"\x07" * 3).range(0, 1028, 1024).range(0, 1028, 1024)
    pb.u8(0).u16(11).u16(2).u16(0).u16(0).u8(3)  # GF(2^11), then a small curve
    pb.u8(1).u16(1).u8(1).u8(0).bytes(2, b"\x01").u8(0).bytes(80, b"\x0b\x01")
    for u in range(6):
        pb.u8(5).u8(0).bytes(2, bytes([u + 1])).range(0, 6, 2).range(0, 6, 2)
    pb.u8(14).u8(1).u16(163).u16(7).u16(6).u16(3).u8(0).u8(0).bytes(21, b"\x01").bytes(72, b"\x07")
    pb.u8(15).u8(3).bytes(64, b"\x01\x02")
    write("dstu4145_pb_fuzz", "fields-and-handles", pb.data)
    onb = Input().u8(0).u16(8174).u8(0)  # the largest type II degree
    onb.u8(1).u16(0).u8(1).u8(0).bytes(1031, b"\x01" * 100).u8(0).bytes(80, b"\x05")
    onb.u8(4).u8(0).bytes(1030, b"\x07" * 3).range(0, 1026, 1022).range(0, 1026, 1022)
    onb.u8(0).u16(4).u8(1).u8(0).u8(0).u16(11).u8(1).u8(0)  # m = 4 (none), then m = 11
    onb.u8(1).u16(1).u8(1).u8(0).bytes(2, b"\x01").u8(0).bytes(80, b"\x0b\x01")
    for u in range(6):
        onb.u8(5).u8(0).bytes(2, bytes([u + 1])).range(0, 6, 2).range(0, 6, 2)
    onb.u8(14).u8(1).u16(173).u8(0).u8(0).bytes(22, b"\x01").bytes(72, b"\x07")
    onb.u8(15).u8(2).bytes(64, b"\x01\x02")
    write("dstu4145_onb_fuzz", "fields-and-handles", onb.data)


# ---- reproducers of faults, kept as regression-* -------------------------------------------


def regression_seeds():
    def write_regression(target, name, data):
        with open(os.path.join(CORPUS, target, "regression-" + name), "wb") as f:
            f.write(bytes(data))

    def element(s, eb, value):  # Element(): kind 0, then at most eb bytes
        return s.u8(0).bytes(eb, value)

    def scalar(s, value):
        return s.u8(0).bytes(72, value)

    for target, m, half in (("dstu4145_pb_fuzz", 163, 21), ("dstu4145_onb_fuzz", 173, 22)):
        eb = (m + 7) // 8
        standard = Input().u8(2).u8(0).u8(0)  # curve 101 or 201, the field kept
        # SignHashByPreSign with e = 0: s = d r gave d away.
        s = Input().u8(2).u8(0).u8(0).u8(10).u8(0)
        element(element(s, eb, b"\x05\x01"), eb, b"\x07")
        scalar(scalar(s.u8(0), b"\x35\x24"), b"").bytes(eb + 8, b"hash").u8(1).range(0, 4, 0)
        write_regression(target, "presign-e-zero", s.range(0, eb + 4, eb).data)
        # VerifyHash under Q = (0, 0) with a well-formed signature.
        s = Input().u8(2).u8(0).u8(0).u8(11).u8(0)
        element(element(s, eb, b"\x05\x01"), eb, b"\x07")
        element(element(s.u8(0), eb, b""), eb, b"").bytes(eb + 8, b"hash")
        signature = (b"\x01" + bytes(half - 1)) * 2
        write_regression(target, "verify-key-at-infinity", s.bytes(152, signature).data)
        # The handles holding the other basis's curve.
        write_regression(target, "other-basis-handles", Input().u8(15).u8(0).bytes(64, b"\x01").data)
        # n = 1: every private key 0 (code 99) and every e out of range (code 1); then n as
        # given and P = (0, 0): F_e = 0 for every e (code 99).
        s = standard.u8(1).u16(1).u8(1)
        element(s, eb, b"\x01").u8(0).bytes(80, b"\x01")
        scalar(s.u8(7), b"").range(0, 72, 8)
        s.u8(10).u8(0)
        element(element(s, eb, b"\x05\x01"), eb, b"\x07")
        scalar(scalar(s.u8(0), b"\x03"), b"\x01").bytes(eb + 8, b"hash").u8(1).range(0, 4, 0)
        s.range(0, eb + 4, eb).u8(2).u8(0).u8(0).u8(10).u8(0)
        element(element(s, eb, b""), eb, b"")
        scalar(scalar(s.u8(0), b"\x03"), b"\x05").bytes(eb + 8, b"hash").u8(1).range(0, 4, 0)
        write_regression(target, "no-random-can-succeed", s.range(0, eb + 4, eb).data)
    # m = 12: a table of 2m - 1 pairs, but no field.
    write_regression("dstu4145_onb_fuzz", "degree-without-basis", Input().u8(0).u16(12).u8(0).data)

    t = "gost34310_signature_fuzz"

    def numbers(s, *values):
        for value in values:
            s.u8(0).bytes(160, value)
        return s

    # a = 0, q over 256 bits, q = 2 with its one k failing: code 99 for every k.
    s = numbers(Input().u8(3), b"\x17", b"\x0b", b"", b"\x01", b"\x01", b"\x03")
    numbers(s.u8(3), A_P, b"\x01" * 33, A_A, A_H, A_X, A_K)
    numbers(s.u8(3), b"\x07", b"\x02", b"\x06", b"\x01", b"\x01", b"\x01")
    numbers(s.u8(1), b"\x01", b"\x05").range(0, 200, 8)  # q = 1: no key
    write_regression(t, "no-random-can-succeed", s.data)
    # a = 1 reported for p = 7, q = 100 and for p = 3, q = 2.
    s = Input().u8(4).u8(0).bytes(96, b"\x07").bytes(96, b"\x64").range(0, 96, 8)
    s.u8(4).u8(0).bytes(96, b"\x03").bytes(96, b"\x02").range(0, 96, 8)
    write_regression("gost34310_parameters_fuzz", "element-a-of-order-one", s.data)


if __name__ == "__main__":
    regression_seeds()
    dstu_seeds()
    symmetric_seeds()
    gost34310_seeds()
    curve_table_seeds()
