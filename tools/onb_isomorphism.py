#!/usr/bin/env python3
"""Images of the normal-basis generator beta in the polynomial basis of the same degree.

For each standard degree m of the normal-basis curves, the field GF(2^m) of ONBBaseField (type II
optimal normal basis, beta = gamma + 1/gamma for a primitive (2m+1)-th root of unity gamma) is
isomorphic to GF(2)[t]/(g) for the standard polynomial g of the same degree. An isomorphism is
fixed by theta = phi(beta), a root in GF(2)[t]/(g) of the minimal polynomial f of beta; the
other roots are the conjugates theta^(2^i), one for each of the m isomorphisms.

f comes from the Dickson polynomials: with D_0 = 0, D_1 = x and D_(k+1) = x D_k + D_(k-1) over
GF(2), D_k(gamma + 1/gamma) = gamma^k + gamma^(-k), and the sum of gamma^k over k = 1 .. 2m is 1,
so f = 1 + D_1 + ... + D_m. Its roots are found by trace splitting: for a random delta,
gcd(h, sum over i of (delta x)^(2^i) mod f) splits the product h of the roots not yet separated.

Of the m roots, the script keeps the one whose isomorphism carries the normal-basis curve's B
(curve table entries 201 to 205) onto the polynomial-basis curve's B of the same degree (entries
103, 104, 105, 106, 110): the standard curves of the two bases are then the same curves, and
exactly one root does this for each degree. It prints theta as the little-endian bytes of
src/binfield/onb_conversion.cpp; tests/onb_conversion_test.cpp checks the isomorphism.

    python3 tools/onb_isomorphism.py [path/to/curve_tables.cpp]
"""
import os
import random
import re
import sys

# (m, exponents of the polynomial below t^m other than 0, PB table name, ONB table name)
STANDARD = [
    (173, (10, 2, 1), "kPB103B", "kONB201B"),
    (179, (4, 2, 1), "kPB104B", "kONB202B"),
    (191, (9,), "kPB105B", "kONB203B"),
    (233, (9, 4, 1), "kPB106B", "kONB204B"),
    (431, (5, 3, 1), "kPB110B", "kONB205B"),
]


def clmul(a, b):
    """a * b over GF(2)[t], four bits of b at a time."""
    table = [0] * 16
    for i in range(1, 16):
        table[i] = (table[i >> 1] << 1) ^ (a if i & 1 else 0)
    r, s = 0, (b.bit_length() + 3) // 4 * 4
    while s > 0:
        s -= 4
        r = (r << 4) ^ table[(b >> s) & 15]
    return r


def square_gf2(a):
    """a^2 over GF(2)[t]: the binary digits of a read in base 4."""
    return int(bin(a)[2:], 4)


class Field:
    """GF(2)[t]/(t^m + t^e... + 1) on Python integers."""

    def __init__(self, m, exponents):
        self.m, self.low = m, (0,) + tuple(exponents)
        self.modulus = (1 << m) | sum(1 << e for e in self.low)

    def reduce(self, r):
        while r >> self.m:
            high = r >> self.m
            r &= (1 << self.m) - 1
            for e in self.low:
                r ^= high << e
        return r

    def mul(self, a, b):
        return self.reduce(clmul(a, b))

    def square(self, a):
        return self.reduce(square_gf2(a))

    def inverse(self, a):
        u, v, x1, x2 = a, self.modulus, 1, 0
        while u != 1:
            j = u.bit_length() - v.bit_length()
            if j < 0:
                u, v, x1, x2, j = v, u, x2, x1, -j
            u ^= v << j
            x1 ^= x2 << j
        return self.reduce(x1)


# Polynomials over the field: coefficient lists, constant term first, no zero leading term.
def trim(p):
    while p and p[-1] == 0:
        p.pop()
    return p


def monic(field, p):
    c = field.inverse(p[-1])
    return [field.mul(c, x) for x in p]


def remainder(field, a, b):
    """a mod b for monic b."""
    a, db = a[:], len(b) - 1
    for i in range(len(a) - 1, db - 1, -1):
        if a[i]:
            for j in range(db):
                if b[j]:
                    a[i - db + j] ^= field.mul(a[i], b[j])
            a[i] = 0
    return trim(a)


def gcd(field, a, b):
    a, b = trim(a[:]), trim(b[:])
    while b:
        b = monic(field, b)
        a, b = b, remainder(field, a, b)
    return monic(field, a)


def minimal_polynomial_of_beta(m):
    previous, current, f = 0, 2, 1 ^ 2
    for _ in range(1, m):
        previous, current = current, (current << 1) ^ previous
        f ^= current
    return f


def roots(m, exponents, seed=1):
    """theta and its conjugates theta^(2^i), i < m."""
    field = Field(m, exponents)
    f = minimal_polynomial_of_beta(m)
    # x^(2^i) mod f, coefficients in GF(2).
    frobenius, x = [], 2
    for _ in range(m):
        frobenius.append(x)
        x = square_gf2(x)
        while x.bit_length() > m:
            x ^= f << (x.bit_length() - 1 - m)
    h = [(f >> i) & 1 for i in range(m + 1)]
    rng = random.Random(seed)
    while len(h) > 2:
        trace, d = [0] * m, rng.getrandbits(m)
        for power in frobenius:
            for bit in range(m):
                if (power >> bit) & 1:
                    trace[bit] ^= d
            d = field.square(d)
        trace = trim(trace)
        if len(h) <= m:
            trace = remainder(field, trace, h)
        g = gcd(field, h, trace)
        if 1 < len(g) < len(h):
            h = g
    theta = h[0]
    value = 0
    for i in range(m, -1, -1):
        value = field.mul(value, theta) ^ ((f >> i) & 1)
    assert value == 0, "theta is not a root of f"
    conjugates = [theta]
    for _ in range(m - 1):
        conjugates.append(field.square(conjugates[-1]))
    return field, conjugates


def to_polynomial_basis(m, columns, a):
    """Bit t of the normal-basis integer is the coefficient of beta^(2^(m-1-t))."""
    r = 0
    for t in range(m):
        if (a >> t) & 1:
            r ^= columns[m - 1 - t]
    return r


def table_value(source, name):
    body = re.search(re.escape(name) + r"\[\d+\] = \{(.*?)\};", source, re.S).group(1)
    data = bytes(int(x, 16) for x in re.findall(r"0x[0-9A-Fa-f]{2}", body))
    return int.from_bytes(data, "little")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        here, "..", "src", "dstu4145", "curve_tables.cpp")
    source = open(path).read()
    for m, exponents, pb_name, onb_name in STANDARD:
        field, conjugates = roots(m, exponents)
        b_pb, b_onb = table_value(source, pb_name), table_value(source, onb_name)
        # Isomorphism i sends beta to conjugates[i], so beta^(2^j) to conjugates[i + j].
        matches = [i for i in range(m)
                   if to_polynomial_basis(m, conjugates[i:] + conjugates[:i], b_onb) == b_pb]
        assert len(matches) == 1, "degree %d: %d roots match the curves" % (m, len(matches))
        theta = conjugates[matches[0]].to_bytes((m + 7) // 8, "little")
        lines = [", ".join("0x%02X" % b for b in theta[i:i + 14]) for i in range(0, len(theta), 14)]
        print("// m = %d: %s" % (m, " + ".join(["t^%d" % m] + ["t^%d" % e for e in exponents] + ["1"])))
        print("const uint8_t kBetaImage%d[%d] = {\n    %s,\n};" % (m, len(theta), ",\n    ".join(lines)))


if __name__ == "__main__":
    main()
