#pragma once
// The arithmetic of the flight, written once: the force on the ball and one classical
// fourth-order Runge-Kutta step. Both are templates over the number type, so that one
// flight (plain doubles), the dialog's tick and the vector lanes all run this text.
//
// `Ops` supplies the number type and the few operations it lacks as operators:
//   Ops::V                    the number (double, or a register of flights)
//   Ops::Splat(double)        a V holding the constant in every lane
//   Ops::Sqrt(V)              the correctly rounded square root of every lane
//   Ops::Select(mask, a, b)   a where the mask (the result of a comparison) holds, b elsewhere
//   Ops::Min(a, b), Max(a, b) a where a < b (a > b) holds, b elsewhere, NaN included: one
//                             instruction each on x86, where a comparison and a select take two
// Every sum and product below is formed in exactly the written order, and every lane
// rounds as a lone double would; the reference values depend on it to the last bit.
// Where a lone flight would skip a division (a zero divisor), the division is formed
// anyway and its lane takes the value the skipped branch leaves.

#include <cmath>
#include <cstdint>

namespace vendrel::kernel {

/// The operations on a lone double: the single flight, the dialog's tick, and the
/// lanes of the path without vector registers.
struct ScalarOps {
  using V = double;
  static constexpr int kLanes = 1;
  static double Splat(double x) { return x; }
  static double Sqrt(double x) { return std::sqrt(x); }
  static double Select(bool mask, double a, double b) { return mask ? a : b; }
  static double Min(double a, double b) { return a < b ? a : b; }
  static double Max(double a, double b) { return a > b ? a : b; }
  static double Floor(double x) { return std::floor(x); }
  static double Load(const double* src) { return *src; }
  static void Store(double* dst, double x) { *dst = x; }
  static std::uint64_t Bits(bool mask) { return mask ? 1 : 0; }
};

/// The flight's parameters in the form the force uses them.
template <class V>
struct ForceParams {
  V rbK;    ///< signed root of the back spin × "K": opens the back-spin force's product
  V rsK;    ///< signed root of the side spin × "K"
  V kp;     ///< "K'"
  V negMg;  ///< the gravity term −(mass · gravity)
};

/// Every intermediate value of one force evaluation, in the order it is formed.
/// Components are indexed 1 to 3 like the flight vectors (index 0 unused).
template <class V>
struct ForceTerms {
  V s{};   ///< speed
  V h{};   ///< normaliser of the back-spin direction (equals w·s)
  V Lb{};  ///< back-spin force magnitude, signed
  V w{};   ///< horizontal speed
  V Ls{};  ///< side-spin force magnitude, signed
  V Dm{};  ///< drag magnitude
  V G[4]{}, B[4]{}, S[4]{}, D[4]{};
  V F[4]{};  ///< the total
};

/// The force for the velocity (vx, vy, vz).
template <class Ops, class V = typename Ops::V>
[[gnu::always_inline]] inline void EvaluateForce(const ForceParams<V>& q, const V& vx, const V& vy,
                                                 const V& vz, ForceTerms<V>& t) {
  const V zero = Ops::Splat(0.0);
  t.G[1] = zero;
  t.G[2] = zero;
  t.G[3] = q.negMg;

  t.s = Ops::Sqrt((vz * vz + vx * vx) + vy * vy);

  // Powers at exponent 2.0. Correctly rounded, such a power is the product of the base
  // with itself, which is what optimised builds make of pow(b, 2.0) anyway; writing
  // the product keeps unoptimised builds off a library pow that can miss the last bit,
  // so every build flies the same flight.
  const V hor = vx * vx + vy * vy;
  const V P1 = hor * hor;
  const V P2 = (vz * vy) * (vz * vy);
  const V P3 = (vz * vx) * (vz * vx);
  t.h = Ops::Sqrt(P1 + (P2 + P3));

  t.Lb = q.rbK * t.s;
  // With no horizontal motion the back-spin direction is undefined (0/0): the ball
  // gets no back-spin force rather than a NaN.
  const auto hNonZero = t.h != zero;
  t.B[1] = Ops::Select(hNonZero, -((vx * vz) * t.Lb) / t.h, zero);
  t.B[2] = Ops::Select(hNonZero, -((vy * vz) * t.Lb) / t.h, zero);
  t.B[3] = Ops::Select(hNonZero, ((vx * vx + vy * vy) * t.Lb) / t.h, zero);

  t.w = Ops::Sqrt(vx * vx + vy * vy);

  t.Ls = q.rsK * t.s;
  const auto wNonZero = t.w != zero;  // likewise the side-spin direction
  t.S[1] = Ops::Select(wNonZero, -(vy / t.w) * t.Ls, zero);
  t.S[2] = Ops::Select(wNonZero, (vx / t.w) * t.Ls, zero);
  t.S[3] = zero;

  t.Dm = q.kp * t.s * t.s;
  // A ball at rest feels gravity alone.
  const auto sNonZero = t.s != zero;
  t.D[1] = Ops::Select(sNonZero, -(t.Dm * vx) / t.s, zero);
  t.D[2] = Ops::Select(sNonZero, -(t.Dm * vy) / t.s, zero);
  t.D[3] = Ops::Select(sNonZero, -(t.Dm * vz) / t.s, zero);

  t.F[1] = t.S[1] + t.B[1] + t.G[1] + t.D[1];
  t.F[2] = t.B[2] + t.G[2] + t.D[2] + t.S[2];
  t.F[3] = t.S[3] + t.B[3] + t.G[3] + t.D[3];
}

/// The total force alone, into f[0..2].
template <class Ops, class V = typename Ops::V>
[[gnu::always_inline]] inline void Force(const ForceParams<V>& q, const V& vx, const V& vy,
                                         const V& vz, V* f) {
  ForceTerms<V> t;
  EvaluateForce<Ops>(q, vx, vy, vz, t);
  f[0] = t.F[1];
  f[1] = t.F[2];
  f[2] = t.F[3];
}

/// What a step needs besides the force's parameters.
template <class V>
struct StepParams {
  ForceParams<V> force;
  V m;   ///< mass, g: every acceleration is a force divided by it
  V dt;  ///< s
};

/// One step from velocity `v` and position `p` (components 0..2), taking the stage-1
/// force from `f` as it stands. Writes the step's end into `vNext` and `pNext`; on
/// return `f` holds the force at the stage-4 velocity, which it writes into `v4`, and
/// which the next step takes as its stage-1 force.
template <class Ops, class V = typename Ops::V>
[[gnu::always_inline]] inline void StepRK4(const StepParams<V>& q, const V* v, const V* p, V* f,
                                           V* v4, V* vNext, V* pNext) {
  const V two = Ops::Splat(2.0);
  const V six = Ops::Splat(6.0);
  const V& m = q.m;
  const V& dt = q.dt;
  V a1[3], a2[3], a3[3], a4[3], p2[3], p3[3], p4[3];

  for (int i = 0; i < 3; ++i) a1[i] = f[i] / m;
  // Each stage velocity is built on the start velocity v; the force is evaluated
  // once all three of its components are known.
  for (int i = 0; i < 3; ++i) p2[i] = (a1[i] * dt) / two + v[i];
  Force<Ops>(q.force, p2[0], p2[1], p2[2], f);
  for (int i = 0; i < 3; ++i) a2[i] = f[i] / m;

  for (int i = 0; i < 3; ++i) p3[i] = (a2[i] * dt) / two + v[i];
  Force<Ops>(q.force, p3[0], p3[1], p3[2], f);
  for (int i = 0; i < 3; ++i) a3[i] = f[i] / m;

  for (int i = 0; i < 3; ++i) p4[i] = a3[i] * dt + v[i];
  Force<Ops>(q.force, p4[0], p4[1], p4[2], f);
  for (int i = 0; i < 3; ++i) a4[i] = f[i] / m;

  for (int i = 0; i < 3; ++i) {
    v4[i] = p4[i];
    const V sumA = two * a3[i] + two * a2[i] + a4[i] + a1[i];
    vNext[i] = (sumA * dt) / six + v[i];
    const V sumP = two * p3[i] + two * p2[i] + p4[i] + v[i];  // p1 is v
    pNext[i] = (sumP * dt) / six + p[i];
  }
}

// ---- The ball model: drag and lift from the spin ratio, spin decay, wind ----

/// A ball flight's constants, worked out once per flight (flight/ball_flight.cpp).
template <class V>
struct BallConsts {
  V k;              ///< ρ·A / (2 m), 1/m: a coefficient times k·|v−w|·(v−w) is an acceleration
  V cd0, cd1, cd2;  ///< Cd = (cd2·S + cd1)·S + cd0
  V cl0, cl1, cl2;  ///< Cl likewise
  V cap;            ///< the spin ratio is held at this value above it (NaN and ∞ included)
  V ax, ay, az;     ///< unit spin axis (lift along axis × relative velocity); 0 without spin
  V negG;           ///< −g
  V dt, halfDt, sixthDt;
  V decayHalf, decayFull;  ///< the spin's factor over half a step and a whole one
  V wx, wy;         ///< wind at the reference height, m/s (the ground's frame)
  V invHeight;      ///< 1 / the reference height
  V crisis;         ///< drag added below the critical Reynolds number, at zero speed
  V reScale;        ///< 1 / the relative speed at the critical Reynolds number
};

/// The acceleration for the air-relative velocity (rx, ry, rz), given its length s and
/// the spin ratio's quotient u / s (u = r·ω, the spin's surface speed). Cd and Cl are
/// quadratics in the spin ratio, Cd with the drag crisis's rise at low Reynolds numbers
/// added.
template <class Ops, class V = typename Ops::V>
[[gnu::always_inline]] inline void BallAcceleration(const BallConsts<V>& c, const V& rx, const V& ry,
                                                    const V& rz, const V& s, const V& ratio, V* a) {
  // At rest (s = 0) the quotient is ∞ or NaN and the minimum sends it to the cap: drag
  // and lift then vanish with s anyway.
  const V S = Ops::Min(ratio, c.cap);
  // Below the critical Reynolds number a dimpled ball's boundary layer no longer trips
  // to turbulence as readily and its drag rises: linearly toward zero speed here.
  const V below = Ops::Splat(1.0) - s * c.reScale;
  const V rise = Ops::Max(below, Ops::Splat(0.0)) * c.crisis;
  const V cd = ((c.cd2 * S + c.cd1) * S + c.cd0) + rise;
  const V cl = (c.cl2 * S + c.cl1) * S + c.cl0;
  const V ks = c.k * s;
  const V drag = ks * cd;
  const V lift = ks * cl;  // times axis × r, whose length is s·sin(angle between them)
  const V cx = c.ay * rz - c.az * ry;
  const V cy = c.az * rx - c.ax * rz;
  const V cz = c.ax * ry - c.ay * rx;
  a[0] = lift * cx - drag * rx;
  a[1] = lift * cy - drag * ry;
  a[2] = (lift * cz - drag * rz) + c.negG;
}

/// The wind over one step, taken at the height the step is expected to reach half way:
/// a power law in the height with exponent 1/8, (z/zref)^(1/8) as three square roots,
/// none below the ground.
template <class Ops, class V = typename Ops::V>
[[gnu::always_inline]] inline void BallWind(const BallConsts<V>& c, const V& z, const V& vz, V& wx,
                                            V& wy) {
  const V zero = Ops::Splat(0.0);
  const V mid = z + vz * c.halfDt;
  const V h = Ops::Select(mid > zero, mid * c.invHeight, zero);
  const V f = Ops::Sqrt(Ops::Sqrt(Ops::Sqrt(h)));
  wx = c.wx * f;
  wy = c.wy * f;
}

/// One classical Runge-Kutta step of the ball, taken apart at its four roots and
/// divisions (one per stage): Start, then Root<k> and Finish<k> for the stages k = 0 to
/// 3 in turn. StepBall runs them one after another; the vector lanes interleave several
/// registers' stages so that one register's root and division go into the divide unit
/// while another's arithmetic goes on (lanes_loop.h). Each value is formed the same way
/// either way.
///
/// The step starts from velocity `v`, position `p` and spin surface speed `u`. The spin
/// decays exactly (the factors are exp(−λ·dt/2) and its square); with `kWind` the wind
/// of BallWind blows through the step, otherwise the air is still and nothing of it is
/// formed. The step's end is `vNext`, `pNext` and `u[2]`.
template <class Ops, bool kWind, class V = typename Ops::V>
struct BallStep {
  V v[3], p[3];
  V u[3];  ///< the spin's surface speed at the start, half way and at the end
  V wx, wy;
  V r[3];            ///< the stage's velocity against the air
  V s, ratio;        ///< |r| and u / |r|
  V a[4][3];         ///< the stages' accelerations
  V v2[3], v3[3], v4[3];  ///< the velocities of stages 2 to 4
  V vNext[3], pNext[3];

  [[gnu::always_inline]] void Start(const BallConsts<V>& c, const V* v0, const V* p0, const V& u0) {
    for (int i = 0; i < 3; ++i) {
      v[i] = v0[i];
      p[i] = p0[i];
    }
    wx = Ops::Splat(0.0);
    wy = Ops::Splat(0.0);
    if constexpr (kWind) BallWind<Ops>(c, p[2], v[2], wx, wy);
    u[0] = u0;
    u[1] = u0 * c.decayHalf;
    u[2] = u0 * c.decayFull;
    Against(v);
  }

  /// The stage's one root and one division.
  template <int kStage>
  [[gnu::always_inline]] void Root() {
    s = Ops::Sqrt((r[0] * r[0] + r[1] * r[1]) + r[2] * r[2]);
    ratio = u[kStage == 0 ? 0 : kStage == 3 ? 2 : 1] / s;
  }

  /// The rest of the stage: its acceleration, and the next stage's velocity or the end.
  template <int kStage>
  [[gnu::always_inline]] void Finish(const BallConsts<V>& c) {
    V* const ak = a[kStage];
    BallAcceleration<Ops>(c, r[0], r[1], r[2], s, ratio, ak);
    if constexpr (kStage == 0) {
      for (int i = 0; i < 3; ++i) v2[i] = ak[i] * c.halfDt + v[i];
      Against(v2);
    } else if constexpr (kStage == 1) {
      for (int i = 0; i < 3; ++i) v3[i] = ak[i] * c.halfDt + v[i];
      Against(v3);
    } else if constexpr (kStage == 2) {
      for (int i = 0; i < 3; ++i) v4[i] = ak[i] * c.dt + v[i];
      Against(v4);
    } else {
      const V two = Ops::Splat(2.0);
      for (int i = 0; i < 3; ++i) {
        vNext[i] = ((a[1][i] + a[2][i]) * two + (a[0][i] + a[3][i])) * c.sixthDt + v[i];
        pNext[i] = ((v2[i] + v3[i]) * two + (v[i] + v4[i])) * c.sixthDt + p[i];
      }
    }
  }

 private:
  [[gnu::always_inline]] void Against(const V* vs) {
    if constexpr (kWind) {
      r[0] = vs[0] - wx;
      r[1] = vs[1] - wy;
    } else {
      r[0] = vs[0];
      r[1] = vs[1];
    }
    r[2] = vs[2];
  }
};

/// One step of the ball (BallStep's stages one after another) into `vNext`, `pNext`,
/// `uNext`.
template <class Ops, bool kWind, class V = typename Ops::V>
[[gnu::always_inline]] inline void StepBall(const BallConsts<V>& c, const V* v, const V* p, const V& u,
                                            V* vNext, V* pNext, V& uNext) {
  BallStep<Ops, kWind> st;
  st.Start(c, v, p, u);
  st.template Root<0>();
  st.template Finish<0>(c);
  st.template Root<1>();
  st.template Finish<1>(c);
  st.template Root<2>();
  st.template Finish<2>(c);
  st.template Root<3>();
  st.template Finish<3>(c);
  for (int i = 0; i < 3; ++i) {
    vNext[i] = st.vNext[i];
    pNext[i] = st.pNext[i];
  }
  uNext = st.u[2];
}

}  // namespace vendrel::kernel
