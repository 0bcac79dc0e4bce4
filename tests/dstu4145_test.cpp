// The DSTU 4145 exports of both bases: known answers, a round trip on every standard curve,
// every export's checks as one table of (export, input change, expected outcome) rows run for
// both bases, handle lifecycles, field creation, and a curve of even degree.
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "binfield/onb_field.h"
#include "binfield/pb_field.h"
#include "curve/curve.h"
#include "dstu4145/family.h"
#include "dstu4145_test_helpers.h"
#include "longint/long_integer.h"
#include "support/json.h"

namespace {

using namespace dstutest;
using QIRVALE::LongIntegerClass;
using qirvale_test::HexBytes;
using qirvale_test::Json;
using qirvale_test::ToHex;

const char* const kExports[] = {"pack",     "unpack",    "genbase", "checkbase",
                                "checkpub", "checkpriv", "privkey", "pubkey",
                                "presign",  "sign",      "signpre", "verify"};

// The byte-string arguments by name.
const std::map<std::string, Bytes Args::*> kMembers = {
    {"px", &Args::px},         {"py", &Args::py},         {"qx", &Args::qx},     {"qy", &Args::qy},
    {"d", &Args::d},           {"e", &Args::e},           {"hash", &Args::hash}, {"fe", &Args::fe},
    {"packed", &Args::packed}, {"random", &Args::random}, {"sig", &Args::sig},   {"u", &Args::u}};

// The field's unit element: 1 (PB) or 2^m - 1 (ONB).
Bytes Unit(uint16_t index, uint32_t m) {
    Bytes unit((m + 7) / 8, 0);
    for (uint32_t bit = 0; bit < (NormalBasis(index) ? m : 1); ++bit)
        unit = WithBitFlipped(unit, bit);
    return unit;
}

Bytes Half(const Bytes& signature, int which) {
    const std::size_t h = signature.size() / 2;
    return Bytes(signature.begin() + (which == 0 ? 0 : h),
                 signature.begin() + (which == 0 ? h : 2 * h));
}
Bytes Joined(Bytes r, const Bytes& s) {
    r.insert(r.end(), s.begin(), s.end());
    return r;
}

// Whether y^2 = B on the curve of `curve` (the point (0, y) is the one of order 2).
template <class Field>
bool SquaresToB(const DSTU4145CurveHandle* curve, const Bytes& y) {
    const auto& c =
        static_cast<const QIRVALE::Tagged<QIRVALE::CurveParameters<Field>>*>(curve->parameters)
            ->value;
    return c.field.Square(Field::ElementFromBytes(y.data(), L(y))) == c.b;
}

// Q, F_e, both signing paths byte for byte, and verification; curve 0 is given by its record.
TEST(DSTU4145, KnownAnswers) {
    for (const Json& v : qirvale_test::ReadJsonLines("dstu4145-known-answers.jsonl")) {
        SCOPED_TRACE(v.at("name").get<std::string>());
        const uint16_t index = v.at("curve").get<uint16_t>();
        const auto p = v.contains("mkjla") ? v.at("mkjla").get<std::vector<uint16_t>>()
                                           : std::vector<uint16_t>(5);
        const CurveRecord record =
            index != 0
                ? RecordOf(index)
                : CurveRecord{
                      0, p[0], p[1], p[2], p[3], p[4], HexBytes(v.at("b")), HexBytes(v.at("n"))};
        Session s(FamilyOf(index), record);
        Args a = s.args;
        a.px = HexBytes(v.at("px")), a.py = HexBytes(v.at("py")), a.d = HexBytes(v.at("d"));
        a.e = HexBytes(v.at("e"));
        const Outcome q = s.Call("pubkey", a);
        EXPECT_EQ(ToHex(q.x) + " " + ToHex(q.y),
                  v.at("qx").get<std::string>() + " " + v.at("qy").get<std::string>());
        a.qx = q.x, a.qy = q.y;
        a.fe = s.Call("presign", a).x;
        if (v.contains("fe")) {
            EXPECT_EQ(ToHex(a.fe), v.at("fe").get<std::string>());
        }
        if (!v.contains("signature")) continue;
        a.hash = HexBytes(v.at("hash"));
        a.sig = HexBytes(v.at("signature"));
        a.outX = L(a.sig);
        EXPECT_EQ(ToHex(s.Call("sign", a).x), ToHex(a.sig));
        EXPECT_EQ(ToHex(s.Call("signpre", a).x), ToHex(a.sig));
        const Outcome verified = s.Call("verify", a);
        EXPECT_TRUE(verified.status == 0 && verified.code == 0 && verified.x == Bytes{1});
    }
}

// The base point and keys pass their checks and a signature verifies (a changed hash does
// not); SignHash is CreatePreSign then SignHashByPreSign; P, -P and Q pack to x with at most
// the compression bit changed and unpack back; random packed values unpack to a point that
// packs back or fail with code 9; zero unpacks to (0, sqrt B).
TEST(DSTU4145, RoundTripOnEveryStandardCurve) {
    for (uint16_t index :
         {101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 201, 202, 203, 204, 205}) {
        SCOPED_TRACE(index);
        Session s(index, index);
        s.MakeKeys();
        for (const char* check : {"checkbase", "checkpub", "checkpriv", "verify"}) {
            EXPECT_EQ(s.Call(check).x, Bytes{1}) << check;
        }
        Args a = s.args;
        a.outX = s.SignatureBytes();
        EXPECT_EQ(s.Call("signpre", a).x, a.sig);
        a.hash[5] ^= 0x40;
        EXPECT_EQ(s.Call("verify", a).code, ResultCodeSignatureMismatch);

        a = s.args;
        const uint32_t m = s.record().m, bit = NormalBasis(index) ? m - 1 : 0;
        Bytes minusPy = a.py;
        for (std::size_t i = 0; i < minusPy.size(); ++i) minusPy[i] ^= a.px[i];
        std::vector<Bytes> packed;
        for (const auto& [x, y] : {std::make_pair(a.px, a.py), {a.px, minusPy}, {a.qx, a.qy}}) {
            a.px = x, a.py = y;
            a.packed = s.Call("pack", a).x;
            packed.push_back(a.packed);
            EXPECT_TRUE(a.packed == x || WithBitFlipped(a.packed, bit) == x);
            const Outcome u = s.Call("unpack", a);
            EXPECT_EQ(ToHex(u.x) + ToHex(u.y), ToHex(x) + ToHex(y));
        }
        EXPECT_NE(packed[0], packed[1]);
        int failures = 0;
        for (int i = 0; i < 16; ++i) {
            a.packed = s.random().NonZeroBits(m);
            const Outcome u = s.Call("unpack", a);
            failures += u.status;
            EXPECT_EQ(u.code, u.status == 0 ? 0 : ResultCodeInternalFailure);
            a.px = u.x, a.py = u.y;
            EXPECT_TRUE(u.status != 0 || SameNumber(s.Call("pack", a).x, a.packed));
        }
        EXPECT_TRUE(failures > 0 && failures < 16);
        a.packed.assign(s.ElementBytes(), 0);
        const Outcome t = s.Call("unpack", a);
        EXPECT_TRUE(IsZero(t.x) && !IsZero(t.y));
        EXPECT_TRUE(NormalBasis(index) ? SquaresToB<QIRVALE::ONBBaseField>(s.curve(), t.y)
                                       : SquaresToB<QIRVALE::PBBaseField>(s.curve(), t.y));
    }
}

// One curve with keys, the baseline arguments of every export (outputs exactly as long as
// its results) and what the changes of the table set: named values, handles in every state,
// a curve whose field is destroyed, curves of degenerate order and with B = 0 (where fuzzing found
// (0, 0) given as a base point).
class ExportChecks {
  public:
    explicit ExportChecks(uint16_t index) : s(index, index), other(NormalBasis(index) ? 101 : 201) {
        const Family& f = s.family();
        const CurveRecord& record = s.record();
        s.MakeKeys();
        Args& a = s.args;
        const uint32_t m = record.m, bytes = s.ElementBytes();
        half_ = s.SignatureBytes() / 2;
        a.hash = s.random().NonZeroBits(m);  // of m bits: a longer hash reads the same
        a.outX = s.SignatureBytes();
        a.sig = s.Call("sign", a).x;
        const Bytes n = record.n, zero(bytes, 0), unit = Unit(index, m);
        Args t = a;
        t.d = {0};
        const Bytes forged = s.Call("sign", t).x;  // d = 0: verifies under Q = (0, 0)
        t.d = a.d, t.hash = {0};
        const Bytes zeroHashSignature = s.Call("sign", t).x;
        t.packed = zero, t.outX = t.outY = bytes;
        const Bytes sqrtB = s.Call("unpack", t).y;
        // With a zero hash (h = unit) and F_e = unit, r is known; e = n - (d r mod n): s = 0.
        LongIntegerClass r = Number(unit), eZero = Number(n);
        r.TruncateBits(s.OrderBits() - 1);
        eZero.Subtract(LongIntegerClass::ModMul(Number(a.d), r, Number(n)));
        Bytes sZero(n.size()), highOnly(bytes + 4, 0xFF), minusQy = a.qy, hundred(13, 0x5A);
        eZero.ToBytes(sZero.data(), L(sZero), 0);
        for (uint32_t bit = 0; bit < m; ++bit) highOnly = WithBitFlipped(highOnly, bit);
        for (std::size_t i = 0; i < minusQy.size(); ++i) minusQy[i] ^= a.qx[i];
        hundred[12] = 0x08;  // exactly 100 bits
        const Bytes top = WithBitFlipped(Bytes(n.size(), 0), s.OrderBits() - 1);
        const Bytes rHalf = Half(a.sig, 0), sHalf = Half(a.sig, 1);
        const Bytes rFlipped =
            IsZero(WithBitFlipped(rHalf, 1)) ? WithBitFlipped(rHalf, 2) : WithBitFlipped(rHalf, 1);
        values_ = {{"n", n},
                   {"n+1", Add(n, 1)},
                   {"n-1", Add(n, -1)},
                   {"2^(L-1)", top},
                   {"2^(L-1)-1", Add(top, -1)},
                   {"100 bits", hundred},
                   {"2^(m-1)", WithBitFlipped(zero, m - 1)},
                   {"unit", unit},
                   {"sqrt B", sqrtB},
                   {"e zeroing s", sZero},
                   {"d+1", Add(a.d, 1)},
                   {"-Qy", minusQy},
                   {"hash changed", WithBitFlipped(a.hash, 46)},
                   {"hash and a byte", Joined(a.hash, {0x5A})},
                   {"high bits", highOnly},
                   {"forged", forged},
                   {"zero hash's", zeroHashSignature},
                   // r keeps fewer bits than n: flipping bit 1 (2 if r = 2) keeps it in range.
                   {"r changed", Joined(rFlipped, sHalf)},
                   {"s changed",
                    Joined(rHalf, Padded(Add(sHalf, SameNumber(sHalf, {1}) ? 1 : -1), half_))},
                   {"halves padded", Joined(Padded(rHalf, half_ + 1), Padded(sHalf, half_ + 1))},
                   {"one byte short", Bytes(a.sig.begin(), a.sig.end() - 1)},
                   {"two bytes short", Bytes(a.sig.begin(), a.sig.end() - 2)},
                   {"one byte long", Padded(a.sig, a.sig.size() + 1)}};

        never_ = f.curveAllocate();
        destroyed_ = std::make_unique<Session>(f, record);
        f.curveDestroy(destroyed_->curve());
        f.curveDestroy(destroyed_->curve());
        fieldless_ = std::make_unique<Session>(f, record);
        f.fieldDestroy(fieldless_->field());  // the curve keeps a copy of its own
        curves_ = {{"never", never_},
                   {"destroyed", destroyed_->curve()},
                   {"other", other.curve()},
                   {"field destroyed", fieldless_->curve()}};
        for (const auto& [name, n2, b, a2] : {std::make_tuple("n=0", Bytes(), record.b, record.a),
                                              {"n=1", Bytes{1}, record.b, record.a},
                                              {"n=2", Bytes{2}, record.b, record.a},
                                              {"B=0 A=0", Bytes{5}, zero, uint16_t(0)},
                                              {"B=0 A=1", Bytes{5}, zero, uint16_t(1)}}) {
            CurveRecord changed{record.index, record.m, record.k, record.j, record.l, a2, b, n2};
            degenerate_.push_back(std::make_unique<Session>(f, changed));
            curves_[name] = degenerate_.back()->curve();
        }
        for (const std::string name : kExports) {
            Args b = a;
            const Outcome o = s.Call(name, b);
            if (!HasFlag(name) && name != "sign" && name != "signpre") {
                b.outX = uint32_t(SignificantLength(o.x));
                b.outY = o.by.Untouched() ? 0 : uint32_t(SignificantLength(o.y));  // one output
            }
            base_[name] = b;
        }
    }
    ~ExportChecks() { s.family().curveFree(never_); }

    // `changes` applied in order: a curve handle by name; "x" or "y" followed by +k, -k, =k
    // (=fit: the significant length of the random number, =m: m bits) for output lengths;
    // "<argument>=<value>" (named, or #hex), with "r" and "s" for the signature's halves;
    // "<argument>^<bit>" (a number or m) flips a bit; "<argument>@<length>" zero-pads to
    // `length` bytes (each half of a signature).
    Args Changed(Args a, const Json& changes) const {
        for (const Json& c : changes) {
            const std::string change = c.get<std::string>();
            const std::size_t at = change.find_first_of("=^@+-");
            const std::string name = change.substr(0, at), value = change.substr(at + 1);
            if (curves_.count(change) != 0) {
                a.curve = curves_.at(change);
            } else if (name == "x" || name == "y") {
                uint32_t& length = name == "x" ? a.outX : a.outY;
                const uint32_t k = value == "fit" ? uint32_t(SignificantLength(a.random))
                                   : value == "m" ? s.ElementBytes()
                                                  : uint32_t(std::stoul(value));
                length = change[at] == '+' ? length + k : change[at] == '-' ? length - k : k;
            } else if (name == "r" || name == "s") {
                const Bytes v = Padded(Value(value), half_);
                a.sig = name == "r" ? Joined(v, Half(a.sig, 1)) : Joined(Half(a.sig, 0), v);
            } else if (change[at] == '=') {
                a.*kMembers.at(name) = Value(value);
            } else {  // ^ or @
                Bytes& v = a.*kMembers.at(name);
                const uint32_t k = value == "m" ? s.record().m : uint32_t(std::stoul(value));
                v = change[at] == '^' ? WithBitFlipped(v, k)
                    : name != "sig"   ? Padded(v, k)
                                      : Joined(Padded(Half(v, 0), k), Padded(Half(v, 1), k));
            }
        }
        return a;
    }

    Bytes Value(const std::string& v) const {
        return v[0] == '#' ? qirvale_test::FromHex(v.substr(1)) : values_.at(v);
    }

    void Check(const std::string& name, const Json& row) const {
        const Args a = Changed(base_.at(name), row.at("change"));
        const Outcome o = s.Call(name, a);
        const uint32_t status = row.at("status").get<uint32_t>();
        const uint16_t code = row.contains("code") ? row.at("code").get<uint16_t>() : 0;
        EXPECT_EQ(o.status, status);
        EXPECT_EQ(o.code, name.rfind("check", 0) == 0 ? 0xFFFF : code);
        EXPECT_TRUE(o.Intact());
        if (HasFlag(name)) {
            const int flag =
                row.contains("flag") ? row.at("flag").get<int>() : status == 0 && code == 0;
            EXPECT_EQ(o.x, Bytes{uint8_t(flag)});
        } else if (status != 0) {
            EXPECT_TRUE(o.Untouched());
        }
        if (row.contains("like")) {
            EXPECT_TRUE(o == s.Call(name, Changed(base_.at(name), row.at("like"))));
        }
        if (row.contains("equals")) {  // an argument, or "zero": both outputs zero
            const std::string what = row.at("equals").get<std::string>();
            EXPECT_TRUE(what == "zero" ? IsZero(o.x) && IsZero(o.y)
                                       : SameNumber(o.x, a.*kMembers.at(what)));
        }
    }

    Session s, other;

  private:
    uint32_t half_;
    std::map<std::string, Bytes> values_;
    std::map<std::string, DSTU4145CurveHandle*> curves_;
    std::map<std::string, Args> base_;
    DSTU4145CurveHandle* never_ = nullptr;
    std::unique_ptr<Session> destroyed_, fieldless_;
    std::vector<std::unique_ptr<Session>> degenerate_;
};

// Each row: an export ("all" for every one), the input changes, the expected status, code
// and flag (when not the defaults: code 0, flag 1 on success), optionally the changes whose
// outcome it must equal ("like") or the argument its output must equal; the curves.
TEST(DSTU4145, EveryCheckOfEveryExport) {
    std::map<uint16_t, std::unique_ptr<ExportChecks>> curves;
    for (const Json& row : qirvale_test::ReadJsonLines("dstu4145-export-checks.jsonl")) {
        for (uint16_t index : row.at("curves").get<std::vector<uint16_t>>()) {
            auto& checks = curves[index];
            if (checks == nullptr) checks = std::make_unique<ExportChecks>(index);
            const std::string name = row.at("export").get<std::string>();
            ASSERT_TRUE(name == "all" ||
                        std::count(std::begin(kExports), std::end(kExports), name));
            for (const std::string e : kExports) {
                if (name != "all" && name != e) continue;
                std::string changes;
                for (const Json& c : row.at("change")) changes += " " + c.get<std::string>();
                SCOPED_TRACE("curve " + std::to_string(index) + " " + e + ":" + changes);
                checks->Check(e, row);
            }
        }
    }
}

// Handles never created, of the other basis or destroyed: size queries give 0 (the curve
// sizes, one function for both bases, those of the curve) and curve creation fails; Destroy
// and Free leave the other basis's objects alone. A curve is refused for A = 2 and for B or n
// of 1025 bytes and reports sizes from n (also n <= 2); Free releases created handles.
TEST(DSTU4145, HandleLifecycles) {
    for (const uint16_t index : {101, 201}) {
        const Family &f = FamilyOf(index), &o = FamilyOf(index == 101 ? 201 : 101);
        const CurveRecord r = RecordOf(index), other = RecordOf(index == 101 ? 201 : 101);
        DSTU4145BaseFieldHandle* field = f.fieldAllocate();
        DSTU4145CurveHandle* curve = f.curveAllocate();
        const auto create = [&](const Family& g, const CurveRecord& c, uint16_t a, std::size_t b,
                                std::size_t n) {
            const Bytes bb = Padded(c.b, b), nn = Padded(c.n, n);
            return g.curveCreate(curve, field, a, bb.data(), L(bb), nn.data(), L(nn));
        };
        const auto fieldBits = [&] {
            return f.elementMaxBits(field) + f.coordMaxBits(field) + f.packMaxBits(field) +
                   f.preSignMaxBits(field);
        };
        const auto sizes = [&](const char* state, uint32_t curveBits, uint32_t curveBytes) {
            SCOPED_TRACE(state);
            EXPECT_EQ(fieldBits(), 0u);
            EXPECT_EQ(f.privateKeyMaxBits(curve) + f.randomMaxBits(curve), 2 * curveBits);
            EXPECT_EQ(f.signMinByteCount(curve), curveBytes);
            DSTU4145CurveHandle fresh{reinterpret_cast<void*>(16), nullptr};
            EXPECT_EQ(f.curveCreate(&fresh, field, r.a, r.b.data(), L(r.b), r.n.data(), L(r.n)),
                      1u);
            EXPECT_TRUE(fresh.parameters == nullptr && fresh.order == nullptr);
        };
        sizes("never created", 0, 0);
        ASSERT_EQ(o.createField(field, other), 0u);
        ASSERT_EQ(create(o, other, other.a, other.b.size(), other.n.size()), 0u);
        const uint32_t otherBytes = 2 * uint32_t(SignificantLength(other.n));
        sizes("of the other basis", Number(other.n).BitLength() - 1, otherBytes);
        f.curveDestroy(curve), f.fieldDestroy(field), f.curveFree(curve), f.fieldFree(field);
        EXPECT_EQ(o.elementMaxBits(field), other.m);
        EXPECT_EQ(o.signMinByteCount(curve), otherBytes);
        o.curveDestroy(curve), o.fieldDestroy(field);
        f.curveDestroy(curve), f.fieldDestroy(field);  // nothing to destroy
        sizes("destroyed", 0, 0);

        ASSERT_EQ(f.createField(field, r), 0u);
        EXPECT_EQ(fieldBits(), 4u * r.m);
        EXPECT_EQ(create(f, r, 2, r.b.size(), r.n.size()), 1u);
        EXPECT_EQ(create(f, r, r.a, 1025, 1024), 1u);
        EXPECT_EQ(create(f, r, r.a, 1024, 1025), 1u);
        EXPECT_TRUE(curve->parameters == nullptr && curve->order == nullptr);
        for (const Bytes& n : {Bytes(), Bytes{1}, Bytes{2}}) {
            ASSERT_EQ(f.curveCreate(curve, field, r.a, r.b.data(), L(r.b), n.data(), L(n)), 0u);
            EXPECT_EQ(f.privateKeyMaxBits(curve), n == Bytes{2} ? 1u : 0u);
            EXPECT_EQ(f.signMinByteCount(curve), 2 * n.size());
            f.curveDestroy(curve);
        }
        ASSERT_EQ(create(f, r, r.a, 1024, 1024), 0u);
        EXPECT_EQ(f.signMinByteCount(curve), 2 * SignificantLength(r.n));
        f.fieldFree(field);
        f.curveFree(curve);  // created
        f.curveFree(nullptr);
        f.fieldFree(nullptr);
    }
}

// Field creation from the rows of the table: the polynomial basis from m > k > j > l (or k
// alone) of an irreducible polynomial, the normal basis from m; refused: handle null, sizes 0.
TEST(DSTU4145, FieldCreation) {
    for (const Json& row : qirvale_test::ReadJsonLines("dstu4145-fields.jsonl")) {
        const auto p = row.at("mkjl").get<std::vector<uint16_t>>();
        const bool normal = row.at("basis").get<std::string>() == "ONB";
        const Family& f = normal ? ONB() : PB();
        SCOPED_TRACE(testing::Message() << f.name << " " << p[0] << " " << p[1] << " " << p[2]);
        DSTU4145BaseFieldHandle field{reinterpret_cast<void*>(16)};  // overwritten first
        const uint32_t status = row.at("status").get<uint32_t>();
        EXPECT_EQ(f.createField(&field, CurveRecord{0, p[0], p[1], p[2], p[3], 0, {}, {}}), status);
        EXPECT_EQ(field.field == nullptr, status == 1);
        EXPECT_EQ(f.elementMaxBits(&field), status == 0 ? p[0] : 0u);
        EXPECT_EQ(f.preSignMaxBits(&field), status == 0 ? p[0] : 0u);
        f.fieldDestroy(&field);
        EXPECT_EQ(field.field, nullptr);
    }
}

// A curve of even degree (t^10 + t^3 + 1, A = 1) whose n is its number of points, counted
// independently: each U below 64 whose equation has roots gives a base point that passes the
// check, every other U code 99; keys and signatures work.
TEST(DSTU4145, EvenDegreeCurve) {
    const Json v = qirvale_test::ReadJson("dstu4145-even-degree.json");
    const auto solvable = v.at("solvable_u").get<std::vector<uint8_t>>();
    const auto number = [&](const char* key) { return v.at(key).get<uint16_t>(); };
    Session s(PB(),
              CurveRecord{0, number("m"), number("k"), 0, 0, number("a"), HexBytes(v.at("b")),
                          HexBytes(v.at("n"))},
              19);
    Args a = s.args;
    for (uint8_t u = 1; u < 64; ++u) {
        a.u = {u};
        const Outcome base = s.Call("genbase", a);
        a.px = base.x, a.py = base.y;
        const bool valid = std::count(solvable.begin(), solvable.end(), u) != 0;
        EXPECT_EQ(base.status == 0 ? s.Call("checkbase", a).x : Bytes{uint8_t(base.code)},
                  Bytes{uint8_t(valid ? 1 : 99)})
            << int(u);
    }
    s.MakeKeys();
    EXPECT_EQ(s.Call("verify").x, Bytes{1});
}

}  // namespace
