#!/usr/bin/python3
"""Writes the example data directory of the package from physics data.

Run with Debian's own interpreter, which sees python3-xraylib and
python3-numpy (tools/setup.sh installs them):

    /usr/bin/python3 tools/make_example_data.py [--check]

from anywhere; paths are taken relative to the repository root (the parent of
this file's directory).  It writes

    examples/data/_database/   the 17 interaction-database files
    examples/data/_materials/  material files
    examples/data/_detectors/  detector files
    examples/spectra/          an example spectrum in the spectra.tmp layout
    tests/data/                the reference values of the validation tests

and then re-reads the database it wrote and evaluates it exactly as the tools
do (32-bit reals, the same order of operations), printing the worst deviation
from the library per material and element.  With --check it only runs that
comparison on the files already present.

Sources
-------
* xraylib 4 (Debian python3-xraylib): atomic weights, absorption-edge and line
  energies, fluorescence yields, radiative rates, the incoherent scattering
  function, and the photoelectric, incoherent and coherent cross sections that
  the fits follow; the NIST material compositions it carries (Hubbell and
  Seltzer, NIST SRD 126) for dry air, PMMA, soft tissue, cortical bone,
  caesium iodide and gadolinium oxysulfide.
* NIST SRD 126 (Hubbell and Seltzer, X-ray mass attenuation coefficients),
  dry air near sea level: the air energy-absorption table, read from the
  project's copy in tests/data/nist/air.dat.

The fits
--------
* sinc, scoh: per element row, ln(sigma / barn per atom) = c1 + c2 x + c3 x^2
  + c4 x^3 with x = ln(E / keV), weighted least squares on 1..300 keV with
  the weight on 5..200 keV (scattering_fit).
* photoe.data: per atomic number, segments from 1 keV up, bounded by the
  absorption edges above 1 keV (found where the library's cross section
  jumps) and split further where a segment misses the library by more than
  0.1 % of the total in 5..200 keV (0.5 % outside), at most 13; each segment
  A1/E + A2/E^2 + A3/E^3 + A4/E^4 (cm2/g) fitted in relative error to the
  library's photoelectric cross section up to its top at 800 keV
  (photo_segments, fit_segment).  The coefficients are chosen as the tools
  will evaluate them, as 32-bit values.
* The tables that no computation reads: em1 the M1 edge energy (keV), xk the
  K-L3 and xl the L3-M5 line energy (keV), wk and wl the K and L3
  fluorescence yields, inscat the incoherent scattering function S(q, Z) at
  the 45 momentum transfers q = sin(theta/2)/lambda (1/Angstrom) listed in v,
  kshell_data the K line energies and radiative rates of four anode
  elements.  0.0 where the element has no such shell or line.

The output is deterministic: the same library version gives byte-identical
files on every run.
"""

import math
import os
import sys

import numpy as np
import xraylib as xrl

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "examples", "data")
DB = os.path.join(DATA, "_database")
MATERIALS = os.path.join(DATA, "_materials")
DETECTORS = os.path.join(DATA, "_detectors")
SPECTRA = os.path.join(ROOT, "examples", "spectra")
TESTDATA = os.path.join(ROOT, "tests", "data")

# Element rows: atomic numbers 1..83, then thorium and uranium.
ROW_Z = list(range(1, 84)) + [90, 92]

NAMES = """Hydrogen Helium Lithium Beryllium Boron Carbon Nitrogen Oxygen Fluorine
Neon Sodium Magnesium Aluminium Silicon Phosphorus Sulfur Chlorine Argon
Potassium Calcium Scandium Titanium Vanadium Chromium Manganese Iron Cobalt
Nickel Copper Zinc Gallium Germanium Arsenic Selenium Bromine Krypton Rubidium
Strontium Yttrium Zirconium Niobium Molybdenum Technetium Ruthenium Rhodium
Palladium Silver Cadmium Indium Tin Antimony Tellurium Iodine Xenon Caesium
Barium Lanthanum Cerium Praseodymium Neodymium Promethium Samarium Europium
Gadolinium Terbium Dysprosium Holmium Erbium Thulium Ytterbium Lutetium
Hafnium Tantalum Tungsten Rhenium Osmium Iridium Platinum Gold Mercury
Thallium Lead Bismuth""".split()
NAME_OF = {z: n for z, n in zip(range(1, 84), NAMES)}
NAME_OF[90] = "Thorium"
NAME_OF[92] = "Uranium"

AVOGADRO_BARN = 0.60226  # the tools' factor: barns per atom -> cm2/g times A

# Photon energies, keV.
E_MIN = 1.0      # the tools accept energies from 1 keV
E_LIB_MAX = 800.0  # top of the library's tables
SCAT_FIT_MAX = 300.0
BAND = (5.0, 200.0)  # where the scattering fits are weighted fully
MAX_SEGMENTS = 13

f32 = np.float32


def e135(v):
    """A value in the 13-column exponent form of the fixed-column files."""
    s = "%13.5E" % v
    assert len(s) == 13, s
    return s


def r9(v):
    """A 32-bit value written so that it reads back as the same 32-bit value."""
    return "%.8E" % float(f32(v))


def write(path, lines):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", newline="\n") as f:
        for line in lines:
            f.write(line.rstrip() + "\n")


def safe(fn, *args, default=0.0):
    try:
        return fn(*args)
    except ValueError:
        return default


# ---------------------------------------------------------------------------
# Edges

ALL_SHELLS = [xrl.K_SHELL, xrl.L1_SHELL, xrl.L2_SHELL, xrl.L3_SHELL,
              xrl.M1_SHELL, xrl.M2_SHELL, xrl.M3_SHELL, xrl.M4_SHELL,
              xrl.M5_SHELL, xrl.N1_SHELL, xrl.N2_SHELL, xrl.N3_SHELL,
              xrl.N4_SHELL, xrl.N5_SHELL, xrl.N6_SHELL, xrl.N7_SHELL]


def photo_edges(z):
    """The absorption edges above 1 keV, ascending, as pairs (below, bound):
    the library's photoelectric cross section holds its value below the edge
    up to `below` and its value above the edge from `bound` on, the smallest
    32-bit value at or above the jump.  (The library's tables put some edges
    up to about one per cent away from its nominal edge energies, and some
    jumps are short ramps, so the jumps are found in the cross section
    itself: on a grid of steps of 0.02 % in energy, then by bisection within
    the last step of each run of rising steps.)"""
    if z in _JUMPS:
        return _JUMPS[z]
    es = np.exp(np.arange(math.log(E_MIN), math.log(E_LIB_MAX), 2e-4))
    vals = np.array([xrl.CS_Photo(z, e) for e in es])
    rising = list(np.nonzero(vals[1:] > vals[:-1] * 1.005)[0])
    groups = []
    for i in rising:
        if groups and i == groups[-1][-1] + 1:
            groups[-1].append(i)
        else:
            groups.append([i])
    edges = []
    for g in groups:
        i = g[-1]
        lo, hi = float(es[i]), float(es[i + 1])
        ratio = vals[i + 1] / vals[i]
        for _ in range(60):
            mid = 0.5 * (lo + hi)
            if xrl.CS_Photo(z, mid) / xrl.CS_Photo(z, float(es[i])) > 1.0 + 0.5 * (ratio - 1.0):
                hi = mid
            else:
                lo = mid
        b = f32(hi)
        while float(b) < hi:
            b = np.nextafter(b, f32(np.inf))
        below = lo if len(g) == 1 else float(es[g[0]])
        if below > E_MIN * 1.0005:
            edges.append((below, float(b)))
    _JUMPS[z] = edges
    return edges


_JUMPS = {}


def edge_energy(z, shell):
    """Edge energy (keV) of a shell: where the photoelectric data jump, for
    an edge whose jump lies above 1 keV within 2 % of the library's nominal
    value; the nominal value otherwise; 0.0 where the element has no such
    shell."""
    e = safe(xrl.EdgeEnergy, z, shell)
    if e > 0.9 * E_MIN:
        near = [j for _, j in photo_edges(z) if abs(j / e - 1.0) < 0.02]
        if near:
            return min(near, key=lambda j: abs(j - e))
    return e


# ---------------------------------------------------------------------------
# Scattering fits: ln(sigma / barn) = c1 + c2 x + c3 x^2 + c4 x^3, x = ln(E/keV)

def scattering_fit(z, weight, fn):
    """Weighted least squares of the log cross section on a cubic in ln E.

    Points from 1 to 300 keV, evenly spaced in ln E; inside 5..200 keV each
    point counts with the share that this process has in the total cross
    section (so the fit is good where the process matters) plus a floor of
    0.1; above 200 keV with 0.3, which holds the cubic's tail; below 5 keV
    with 0.02, which keeps it sensible down to 1 keV (exp of a cubic is
    finite and positive everywhere)."""
    es = np.exp(np.linspace(math.log(E_MIN), math.log(SCAT_FIT_MAX), 400))
    sig = np.array([fn(z, e) for e in es])           # cm2/g
    tot = np.array([xrl.CS_Total(z, e) for e in es])
    barns = sig * weight / AVOGADRO_BARN
    x = np.log(es)
    inband = (es >= BAND[0]) & (es <= BAND[1])
    w = np.where(inband, 0.1 + sig / tot, np.where(es > BAND[1], 0.3, 0.02))
    a = np.vstack([np.ones_like(x), x, x * x, x ** 3]).T
    c, *_ = np.linalg.lstsq(a * w[:, None], np.log(barns) * w, rcond=None)
    return [float(v) for v in c]


# ---------------------------------------------------------------------------
# Photoelectric segments: A1/E + A2/E^2 + A3/E^3 + A4/E^4 (cm2/g)

SUBSETS = [[k for k in range(4) if m >> k & 1] for m in range(1, 16)]


def fit_segment(z, lo, hi):
    """Fit of A1/E + A2/E^2 + A3/E^3 + A4/E^4 on [lo, hi) in relative error.

    On a narrow segment the four terms are nearly alike, and a free fit
    makes them large and of opposite sign: their sum then cancels, and the
    32-bit rounding of the coefficients is magnified by that cancellation.
    So every non-empty subset of the four terms is fitted (least squares,
    then Lawson's reweighting towards the smallest largest error); the
    coefficients are rounded to 32 bits one at a time, the remaining ones
    refitted after each; and the subset whose rounded coefficients, evaluated
    as the tools do, give the smallest largest error wins (of nearly equal
    ones the one with fewer terms)."""
    n = 80
    es = np.exp(np.linspace(math.log(lo * (1 + 2e-7)), math.log(hi * (1 - 2e-7)), n))
    sig = np.array([xrl.CS_Photo(z, e) for e in es])
    t = lo / es  # scaled so that the columns are of order one
    full = np.vstack([t, t ** 2, t ** 3, t ** 4]).T / sig[:, None]
    scale = np.array([lo ** (k + 1) for k in range(4)])
    results = []
    for sub in SUBSETS:
        basis = full[:, sub]
        w = np.full(n, 1.0 / n)
        best = None
        for _ in range(30):
            sw = np.sqrt(w)
            b, *_ = np.linalg.lstsq(basis * sw[:, None], sw, rcond=None)
            r = np.abs(basis @ b - 1.0)
            if best is None or r.max() < best[0]:
                best = (r.max(), w.copy())
            w = w * (r + 1e-15)
            w /= w.sum()
        sw = np.sqrt(best[1])
        coef = [0.0] * 4
        rest = list(sub)
        target = np.ones(n)
        while rest:
            b, *_ = np.linalg.lstsq(full[:, rest] * sw[:, None], target * sw, rcond=None)
            k = rest.pop(0)
            coef[k] = float(f32(b[0] * scale[k]))
            target = target - full[:, k] * (coef[k] / scale[k])
        err = max(abs(eval_segment(coef, e) / p - 1.0) for e, p in zip(es, sig))
        results.append((err, len(sub), coef))
    least = min(r[0] for r in results)
    ok = [r for r in results if r[0] <= least * 1.05 + 1e-7]
    return min(ok, key=lambda r: (r[1], r[0]))[2]


def eval_segment(coef, e):
    """The tools' evaluation of one segment in double precision on 32-bit
    coefficients and energy."""
    e = float(f32(e))
    e2 = e * e
    e3 = e * e2
    e4 = e2 * e2
    a1, a2, a3, a4 = (float(f32(c)) for c in coef)
    return ((a1 / e + 0.0) + a2 / e2) + a3 / e3 + a4 / e4


def total_error_limit(e):
    """How far a segment may move the total cross section: 0.1 % where
    diagnostic beams live (5 to 200 keV), 0.5 % below and above."""
    return 0.001 if BAND[0] <= e <= BAND[1] else 0.005


def segment_badness(z, lo, hi, coef):
    """Worst error of the segment, evaluated as the tools do, as a share of
    the total cross section, relative to total_error_limit (1 = at the
    limit)."""
    es = np.exp(np.linspace(math.log(lo * (1 + 1e-6)), math.log(hi * (1 - 1e-6)), 60))
    worst = 0.0
    for e in es:
        p = xrl.CS_Photo(z, e)
        d = abs(eval_segment(coef, e) - p) / xrl.CS_Total(z, e)
        worst = max(worst, d / total_error_limit(e))
    return worst


def cancellation(coef, lo, hi):
    """Largest ratio of the sum of the magnitudes of the four terms to the
    magnitude of their sum on the segment: the factor by which the 32-bit
    rounding of the coefficients is magnified."""
    worst = 1.0
    for e in np.exp(np.linspace(math.log(lo), math.log(hi), 40)):
        terms = [c / e ** (k + 1) for k, c in enumerate(coef)]
        worst = max(worst, sum(abs(t) for t in terms) / abs(sum(terms)))
    return worst


def photo_segments(z):
    """Segments from 1 keV to the top of the library's tables, bounded by the
    absorption edges; while one fits badly and there is room (13 segments),
    the worst is split in the middle of its range in ln E.  Each segment is
    fitted from its lower bound up to where the cross section of the next
    segment's edge begins to rise.  Returns [(lower bound, [A1..A4])]."""
    edges = photo_edges(z)
    starts = [E_MIN] + [b for _, b in edges]
    ends = [a for a, _ in edges] + [E_LIB_MAX]
    segs = []
    for lo, hi in zip(starts, ends):
        coef = fit_segment(z, lo, hi)
        segs.append([lo, hi, coef, segment_badness(z, lo, hi, coef)])
    while len(segs) < MAX_SEGMENTS:
        # segments narrower than 2 % are left as they are
        cand = [i for i, s in enumerate(segs) if s[1] / s[0] > 1.02]
        if not cand:
            break
        worst = max(cand, key=lambda i: segs[i][3])
        if segs[worst][3] <= 1.0:
            break
        lo, hi = segs[worst][0], segs[worst][1]
        mid = float(f32(math.exp(0.5 * (math.log(lo) + math.log(hi)))))
        new = []
        for a, b in ((lo, mid), (mid, hi)):
            coef = fit_segment(z, a, b)
            new.append([a, b, coef, segment_badness(z, a, b, coef)])
        segs[worst:worst + 1] = new
    SEGMENT_REPORT[z] = (max(s[3] for s in segs),
                         max(cancellation(s[2], s[0], s[1]) for s in segs))
    return [(float(f32(s[0])), s[2]) for s in segs]


SEGMENT_REPORT = {}


# ---------------------------------------------------------------------------
# The database files

def make_database():
    os.makedirs(DB, exist_ok=True)
    weights = [float(f32(float(e135(xrl.AtomicWeight(z))))) for z in ROW_Z]
    write(os.path.join(DB, "names"),
          [" " * 11 + NAME_OF[z].ljust(16) for z in ROW_Z])
    write(os.path.join(DB, "wghts"),
          [" " * 10 + e135(xrl.AtomicWeight(z)) for z in ROW_Z])

    for fname, fn in (("sinc", xrl.CS_Compt), ("scoh", xrl.CS_Rayl)):
        lines = []
        for z, w in zip(ROW_Z, weights):
            c = scattering_fit(z, w, fn)
            lines.append(" " * 8 + "".join("  " + e135(v) for v in c))
        write(os.path.join(DB, fname), lines)

    # Edge energies (keV); 0.0 where the element has no such shell.
    for fname, shell in (("ek", xrl.K_SHELL), ("el1", xrl.L1_SHELL),
                         ("el3", xrl.L3_SHELL), ("em1", xrl.M1_SHELL)):
        write(os.path.join(DB, fname),
              [" " * 10 + e135(edge_energy(z, shell)) for z in ROW_Z])
    # Line energies (keV): K-alpha1 (K-L3) and L-alpha1 (L3-M5);
    # fluorescence yields of the K and the L3 shell.  0.0 where none.
    write(os.path.join(DB, "xl"),
          [" " * 10 + e135(safe(xrl.LineEnergy, z, xrl.L3M5_LINE)) for z in ROW_Z])
    write(os.path.join(DB, "xk"),
          [" " * 10 + e135(safe(xrl.LineEnergy, z, xrl.KL3_LINE)) for z in ROW_Z])
    write(os.path.join(DB, "wk"),
          [" " * 10 + e135(safe(xrl.FluorYield, z, xrl.K_SHELL)) for z in ROW_Z])
    write(os.path.join(DB, "wl"),
          [" " * 10 + e135(safe(xrl.FluorYield, z, xrl.L3_SHELL)) for z in ROW_Z])

    # Incoherent scattering function S(q, Z) at 45 momentum transfers
    # q = sin(theta/2)/lambda in 1/Angstrom (the file v).
    q = INSCAT_Q
    lines = []
    for z in ROW_Z:
        vals = [xrl.SF_Compt(z, qq) for qq in q]
        for k in range(0, 45, 4):
            lines.append("".join(" " + e135(v) for v in vals[k:k + 4]))
    write(os.path.join(DB, "inscat"), lines)
    write(os.path.join(DB, "v"), [" " * 10 + e135(qq) for qq in q])

    # K-shell data of the common anode elements: the energies (keV) of the
    # K-L3, K-L2, K-M3 and K-M2 lines, then their radiative rates.
    lines = []
    for z in KSHELL_Z:
        lines_k = [xrl.KL3_LINE, xrl.KL2_LINE, xrl.KM3_LINE, xrl.KM2_LINE]
        en = [xrl.LineEnergy(z, ln) for ln in lines_k]
        rr = [xrl.RadRate(z, ln) for ln in lines_k]
        lines.append("%3d " % z + " ".join("%.6E" % v for v in en + rr))
    write(os.path.join(DB, "kshell_data"), lines)

    # Photoelectric segments for atomic numbers 1..100; an element beyond
    # the library's tables (99, 100; no tool reaches them) gets no segment.
    lines = []
    for z in range(1, 101):
        try:
            xrl.CS_Photo(z, 10.0)
            segs = photo_segments(z)
        except ValueError:
            segs = []
        lines.append("%3d %2d" % (z, len(segs)))
        for lo, coef in segs:
            lines.append(" ".join(r9(v) for v in [lo] + list(coef)))
    write(os.path.join(DB, "photoe.data"), lines)

    make_air_table()


# 45 momentum transfers, 1/Angstrom
INSCAT_Q = [0.005, 0.01, 0.015, 0.02, 0.025, 0.03, 0.04, 0.05, 0.06, 0.07,
            0.08, 0.09, 0.1, 0.125, 0.15, 0.175, 0.2, 0.25, 0.3, 0.35, 0.4,
            0.45, 0.5, 0.55, 0.6, 0.7, 0.8, 0.9, 1.0, 1.25, 1.5, 1.75, 2.0,
            2.5, 3.0, 3.5, 4.0, 5.0, 6.0, 7.0, 8.0, 10.0, 15.0, 20.0, 50.0]
assert len(INSCAT_Q) == 45
KSHELL_Z = [29, 42, 45, 74]  # copper, molybdenum, rhodium, tungsten anodes


def read_nist(path):
    """(E MeV, mu/rho, mu_en/rho) rows of a NIST SRD 126 table."""
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            p = line.split()
            if not p or line.startswith("#") or len(p) < 3:
                continue
            rows.append((float(p[-3]), float(p[-2]), float(p[-1])))
    return rows


def make_air_table():
    """log10(E/MeV), log10(mu_en/rho) of dry air from the NIST table.

    The NIST table lists the argon K edge (3.2029 keV) twice, with the values
    below and above it.  Equal abscissae cannot be interpolated, so the point
    below the edge is dropped and the one above it kept (the values above the
    edge hold for every energy up to 4 keV, the next point).  That leaves 37
    points; the 38th is put at 17.5 MeV, between 15 and 20 MeV, with the value
    interpolated linearly in log-log from its two neighbours, far from the
    energies at which the tools use the table."""
    rows = read_nist(os.path.join(TESTDATA, "nist", "air.dat"))
    pts = []
    for i, (e, _, men) in enumerate(rows):
        if i + 1 < len(rows) and abs(rows[i + 1][0] - e) < 1e-9 * e:
            continue  # below-edge duplicate
        pts.append((e, men))
    assert len(pts) == 37, len(pts)
    (e1, m1), (e2, m2) = [(e, m) for e, m in pts if e in (15.0, 20.0)]
    ei = 17.5
    t = (math.log10(ei) - math.log10(e1)) / (math.log10(e2) - math.log10(e1))
    mi = 10 ** (math.log10(m1) + t * (math.log10(m2) - math.log10(m1)))
    pts.append((ei, mi))
    pts.sort()
    le = [float(f32(math.log10(e))) for e, _ in pts]
    assert all(a < b for a, b in zip(le, le[1:]))
    lines = [
        "# Dry air (near sea level): mass energy-absorption coefficient",
        "# source: NIST SRD 126, Hubbell and Seltzer (tests/data/nist/air.dat)",
        "# columns: log10(E / MeV)   log10(mu_en/rho / (cm2/g))",
        "# 38 points, 1 keV to 20 MeV, strictly ascending in energy.",
        "# The argon K edge (3.2029 keV) is kept once, with the value above it;",
        "# the 38th point (17.5 MeV) is log-log interpolated between 15 and",
        "# 20 MeV.",
        "#",
    ]
    assert len(lines) == 8
    for e, m in pts:
        lines.append("%15.8E %15.8E" % (math.log10(e), math.log10(m)))
    write(os.path.join(DB, "air"), lines)


# ---------------------------------------------------------------------------
# The tools' evaluation of the database, in 32-bit reals

class Database:
    def __init__(self, path=DB):
        def rows(name):
            with open(os.path.join(path, name)) as f:
                return [ln.rstrip("\n") for ln in f]
        self.wghts = [f32(float(ln[10:23])) for ln in rows("wghts")]
        self.sinc = [[f32(float(ln[10 + 15 * k:23 + 15 * k])) for k in range(4)]
                     for ln in rows("sinc")]
        self.scoh = [[f32(float(ln[10 + 15 * k:23 + 15 * k])) for k in range(4)]
                     for ln in rows("scoh")]
        self.cache = {}
        self.pe = {}
        tok = open(os.path.join(path, "photoe.data")).read().split("\n")
        i = 0
        for z in range(1, 101):
            n = int(tok[i].split()[1])
            i += 1
            segs = []
            for _ in range(n):
                segs.append([f32(float(v)) for v in tok[i].split()[:5]])
                i += 1
            self.pe[z] = segs
        air = rows("air")[8:8 + 38]
        self.airle = [f32(float(ln.split()[0])) for ln in air]
        self.airlm = [f32(float(ln.split()[1])) for ln in air]

    @staticmethod
    def row(z):
        return 84 if z == 90 else 85 if z == 92 else z

    def photoelectric(self, e, z):
        segs = self.pe[z]
        c = len(segs)
        for j, s in enumerate(segs):
            if e < s[0]:
                c = j
                break
        if c < 1:
            return 0.0
        return eval_segment(segs[c - 1][1:], e)

    def mu(self, e, z):
        """(xpe, xinc, xcoh, xtot) in cm2/g as the tools compute them."""
        key = (float(f32(e)), z)
        if key not in self.cache:
            self.cache[key] = self._mu(f32(e), z)
        return self.cache[key]

    def _mu(self, e, z):
        r = self.row(z)
        x = f32(0.009950321) if e == f32(1.0) else f32(math.log(float(e)))
        out = []
        for c in (self.sinc[r - 1], self.scoh[r - 1]):
            s = f32(0.0)
            xd = float(x)
            powers = (1.0, xd, xd * xd, xd * (xd * xd))
            for k in range(4):
                s = f32(powers[k] * float(c[k]) + float(s))
            out.append(f32(math.exp(float(s)) * float(f32(AVOGADRO_BARN)) /
                           float(self.wghts[r - 1])))
        xinc, xcoh = out
        p = self.photoelectric(float(e), z)
        xtot = f32((p + float(xinc)) + float(xcoh))
        return f32(p), xinc, xcoh, xtot

    def mixture(self, e, material):
        mutot = f32(0.0)
        for z, w in zip(material.iz, material.fw):
            mutot = f32(float(self.mu(e, z)[3]) * float(w) + float(mutot))
        return mutot

    def atom_counts_to_weights(self, iz, counts):
        a = [float(self.wghts[self.row(z) - 1]) for z in iz]
        w = sum(float(f32(c)) * ai for c, ai in zip(counts, a))
        return [f32(float(f32(c)) * ai / w) for c, ai in zip(counts, a)]


# ---------------------------------------------------------------------------
# Materials

class Material:
    def __init__(self, name, title, iz, fw, rho, atoms=False):
        self.name, self.title, self.iz, self.rho = name, title, list(iz), rho
        self.input_fw = list(fw)
        self.atoms = atoms
        self.fw = None

    def resolve(self, db):
        if self.atoms:
            self.fw = db.atom_counts_to_weights(self.iz, self.input_fw)
        else:
            self.fw = [f32(v) for v in self.input_fw]
        return self

    def library_total(self, e):
        """The library's total cross section (cm2/g) with this material's
        weight fractions as the tools hold them."""
        return sum(float(w) * xrl.CS_Total(z, e) for z, w in zip(self.iz, self.fw))


def nist_compound(name):
    d = xrl.GetCompoundDataNISTByName(name)
    return list(d["Elements"]), list(d["massFractions"]), d["density"]


def material_list():
    mats = [
        Material("water", "water H2O by atom counts", [1, 8], [2.0, 1.0], 1.0, atoms=True),
        Material("aluminium", "aluminium", [13], [1.0], xrl.ElementDensity(13)),
        Material("copper", "copper", [29], [1.0], xrl.ElementDensity(29)),
        Material("lead", "lead", [82], [1.0], xrl.ElementDensity(82)),
    ]
    for name, title, nist in (
            ("air", "dry air near sea level (NIST)", "Air, Dry (near sea level)"),
            ("pmma", "PMMA (Lucite or Perspex; NIST)", "Polymethyl Methacralate (Lucite, Perspex)"),
            ("soft_tissue", "soft tissue ICRU four-component (NIST)", "Tissue, Soft (ICRU four-component)"),
            ("cortical_bone", "cortical bone ICRP (NIST)", "Bone, Cortical (ICRP)"),
            ("csi", "caesium iodide (NIST)", "Cesium Iodide"),
            ("gd2o2s", "gadolinium oxysulfide (NIST)", "Gadolinium Oxysulfide")):
        iz, fw, rho = nist_compound(nist)
        mats.append(Material(name, title, iz, fw, rho))
    return mats


def real_text(v):
    """A short decimal form of v that always carries its point."""
    t = "%.6g" % v
    return t if "." in t or "e" in t else t + ".0"


def write_material(m):
    """Free-form material file: count (with the title as a remark), atomic
    numbers, fractions (atom counts when the first is 1 or more), density."""
    if m.atoms:
        fr = " ".join(real_text(v) for v in m.input_fw)
    else:
        fr = " ".join("%.6f" % v for v in m.input_fw)
    write(os.path.join(MATERIALS, m.name), [
        "%d   %s" % (len(m.iz), m.title),
        " ".join("%d" % z for z in m.iz),
        fr,
        "%s   g/cm3" % real_text(m.rho),
    ])


# ---------------------------------------------------------------------------
# Detectors

def write_detector(name, title, code, response, third):
    """Free-form detector file for 1 to 150 keV in steps of 1 keV: the title,
    the code with the first and last energy and the step, a caption line,
    then energy, response and a third value per line."""
    first, last, step = 1.0, 150.0, 1.0
    n = int((float(f32(last)) - float(f32(first))) / float(f32(step)) + 1.0)
    lines = ["'%s'" % title,
             "'%s' %.1f %.1f %.1f" % (code, first, last, step),
             "   energy(keV)   response       mu/rho(cm2/g)"]
    for i in range(n):
        e = first + i * step
        lines.append("%10.3f %15.7E %15.7E" % (e, response(e), third(e)))
    write(os.path.join(DETECTORS, name), lines)
    return n


def make_detectors(db, mats):
    write_detector("ideal", "ideal energy-integrating detector", "IDEAL",
                   lambda e: 1.0, lambda e: 0.0)
    by_name = {m.name: m for m in mats}
    # Absorption efficiency 1 - exp(-mu/rho * mass thickness) of a layer,
    # with mu/rho from the shipped database.
    for name, title, code, mat, grams in (
            ("csi_600um", "CsI layer 600 um (0.2706 g/cm2)", "CSI600", "csi", 0.06 * 4.51),
            ("gd2o2s_70mg", "Gd2O2S screen 70 mg/cm2", "GOS70", "gd2o2s", 0.070)):
        m = by_name[mat]
        write_detector(name, title, code,
                       lambda e, m=m, g=grams: 1.0 - math.exp(-float(db.mixture(e, m)) * g),
                       lambda e, m=m: float(db.mixture(e, m)))


# ---------------------------------------------------------------------------
# The example spectrum
#
# Model (thick-target tungsten anode, per mAs, per cm2 at 100 cm):
# * Bremsstrahlung by Kramers' law: k Z (E0 - E) / E photons per keV per
#   electron into 4 pi, with k = 2.2e-6 per keV (an energy efficiency of
#   1.1e-9 Z V, V in volts), spread isotropically.
# * Self-absorption in the anode: photons of energy E are made uniformly over
#   the depth in which the electrons still carry more than E, which the
#   Thomson-Whiddington law gives as rho x = (E0^2 - E^2) / C; they leave at
#   the anode angle theta, so the mean transmission is (1 - e^-a)/a with
#   a = (mu/rho)_W (E0^2 - E^2) / (C sin theta).
# * K lines: A (U - 1)^1.63 K photons per electron into 4 pi (U = E0 / E_K),
#   shared among K-L3, K-L2, K-M3 and K-M2 by their radiative rates
#   (kshell_data), made over the depth where the electrons exceed E_K.
# * Filtration by aluminium and air with mu/rho from the shipped database.
# C, A and the output factor (k as a multiple of 2.2e-6) are the model's
# free constants.  calibrate() sets them so that the model run at 130 kVp,
# 20 degrees, with 1.6 mm Be, 0.5 mm Al and 352 mm air has the first HVL,
# the K-line share and the air kerma of the SpekPy 2.0.8 reference spectrum
# (tests/data/spekpy-130kVp-W-20deg-0.5mmAl.dat), each computed the same
# way for both; make_example_spectrum() prints the comparison.

ELECTRONS_PER_MAS = 1e-3 / 1.602176634e-19
KRAMERS_K = 2.2e-6
K_LINE_EXP = 1.63


class Spectrum:
    def __init__(self, ebin, phi, de):
        self.ebin, self.phi, self.de = ebin, phi, de


def element_material(z, rho=1.0):
    return Material("el%d" % z, "", [z], [1.0], rho)


def tube_spectrum(db, kvp, angle_deg, de, filters, c_tw, k_a, scale):
    """Photons per keV per cm2 at 100 cm per mAs in bins of width de from
    1 keV up to kvp; filters is a list of (Material, thickness cm)."""
    w = element_material(74, 19.3).resolve(db)
    sin_t = math.sin(math.radians(angle_deg))
    geom = scale * ELECTRONS_PER_MAS / (4 * math.pi * 100.0 ** 2)
    nbin = int(round((kvp - 1.0) / de))
    ebin = [1.0 + (i + 0.5) * de for i in range(nbin)]

    def self_abs(e, e_made):
        a = float(db.mixture(e, w)) * (kvp ** 2 - e_made ** 2) / (c_tw * sin_t)
        return 1.0 if a < 1e-12 else (1.0 - math.exp(-a)) / a

    phi = []
    for e in ebin:
        n = KRAMERS_K * 74 * (kvp - e) / e * geom
        phi.append(n * self_abs(e, e))
    ek = xrl.EdgeEnergy(74, xrl.K_SHELL)
    if kvp > ek:
        nk = k_a * (kvp / ek - 1.0) ** K_LINE_EXP * geom
        lines = [(xrl.LineEnergy(74, ln), xrl.RadRate(74, ln))
                 for ln in (xrl.KL3_LINE, xrl.KL2_LINE, xrl.KM3_LINE, xrl.KM2_LINE)]
        rsum = sum(r for _, r in lines)
        for el, r in lines:
            i = int((el - 1.0) / de)
            if 0 <= i < nbin:
                phi[i] += nk * r / rsum / de * self_abs(el, ek)
    for i, e in enumerate(ebin):
        att = sum(float(db.mixture(e, m)) * m.rho * t for m, t in filters)
        phi[i] *= math.exp(-att)
    return Spectrum(ebin, phi, de)


def air_muen(e_kev):
    """NIST dry-air mu_en/rho by log-log interpolation of the project's copy
    (above the argon edge the values above it)."""
    rows = [r for r in read_nist(os.path.join(TESTDATA, "nist", "air.dat"))]
    e = e_kev / 1000.0
    for (e1, _, m1), (e2, _, m2) in zip(rows, rows[1:]):
        if e1 <= e <= e2 and e2 > e1:
            t = math.log(e / e1) / math.log(e2 / e1)
            return math.exp(math.log(m1) + t * math.log(m2 / m1))
    raise ValueError(e_kev)


def kerma_ugy(sp, extra=None, db=None):
    """Air kerma (uGy) of a per-cm2 photon spectrum, optionally behind a
    layer (Material, cm)."""
    k = 0.0
    for e, p in zip(sp.ebin, sp.phi):
        t = 1.0
        if extra:
            m, x = extra
            t = math.exp(-float(db.mixture(e, m)) * m.rho * x)
        k += p * t * sp.de * e * 1.602176634e-16 * air_muen(e) * 1000.0 * 1e6
    return k


def hvl_mm(db, sp, mat):
    k0 = kerma_ugy(sp)
    lo, hi = 0.0, 5.0
    for _ in range(50):
        mid = 0.5 * (lo + hi)
        if kerma_ugy(sp, (mat, mid), db) > 0.5 * k0:
            lo = mid
        else:
            hi = mid
    return 10.0 * 0.5 * (lo + hi)


def read_spekpy():
    path = os.path.join(TESTDATA, "spekpy-130kVp-W-20deg-0.5mmAl.dat")
    e, p = [], []
    for line in open(path, encoding="utf-8"):
        if line.startswith("#") or not line.strip():
            continue
        a = line.split()
        e.append(float(a[0]))
        p.append(float(a[1]))
    return Spectrum(e, p, e[1] - e[0])


def line_share(sp, lo=56.0, hi=70.0):
    """Share of the photons in lo..hi keV that stand above the continuum,
    the continuum taken as the straight line between the ends."""
    idx = [i for i, e in enumerate(sp.ebin) if lo <= e <= hi]
    i0, i1 = idx[0], idx[-1]
    tot = exc = 0.0
    for i in idx:
        t = (sp.ebin[i] - sp.ebin[i0]) / (sp.ebin[i1] - sp.ebin[i0])
        cont = sp.phi[i0] + t * (sp.phi[i1] - sp.phi[i0])
        tot += sp.phi[i]
        exc += max(0.0, sp.phi[i] - cont)
    return exc / tot


def reference_filters(db, mats):
    by = {m.name: m for m in mats}
    be = element_material(4, 1.848).resolve(db)
    return [(be, 0.16), (by["aluminium"], 0.05), (by["air"], 35.2)]


def calibrate(db, mats):
    """The three free constants of the tube model, from the reference:
    C (self-absorption depth) for its first HVL, A for its K-line share, and
    Kramers' k for its air kerma.  C and A act on each other, so they are
    found in turn three times; each is rounded to four digits."""
    ref = read_spekpy()
    al = {m.name: m for m in mats}["aluminium"]
    target_hvl = hvl_mm(db, ref, al)  # 1.4728 mm Al in its header
    target_kerma = kerma_ugy(ref)  # 438.2432 uGy in its header
    target_share = line_share(ref)
    filt = reference_filters(db, mats)
    c_tw, k_a = 1e6, 0.0
    for _ in range(3):
        # HVL rises as C falls (deeper production, harder beam): bisect ln C
        lo, hi = math.log(1e4), math.log(1e8)
        for _ in range(30):
            mid = 0.5 * (lo + hi)
            sp = tube_spectrum(db, 130.0, 20.0, 0.5, filt, math.exp(mid), k_a, 1.0)
            if hvl_mm(db, sp, al) > target_hvl:
                lo = mid
            else:
                hi = mid
        c_tw = float("%.4g" % math.exp(0.5 * (lo + hi)))
        lo, hi = 0.0, 1e-2
        for _ in range(30):
            mid = 0.5 * (lo + hi)
            sp = tube_spectrum(db, 130.0, 20.0, 0.5, filt, c_tw, mid, 1.0)
            if line_share(sp) < target_share:
                lo = mid
            else:
                hi = mid
        k_a = float("%.4g" % (0.5 * (lo + hi)))
    sp = tube_spectrum(db, 130.0, 20.0, 0.5, filt, c_tw, k_a, 1.0)
    scale = float("%.4g" % (target_kerma / kerma_ugy(sp)))
    return c_tw, k_a, scale


def spectrum_summary(db, sp, al):
    fl = sum(p * sp.de for p in sp.phi)
    mean = sum(p * e for p, e in zip(sp.phi, sp.ebin)) / sum(sp.phi)
    return fl, kerma_ugy(sp), mean, hvl_mm(db, sp, al)


def write_spectrum(path, sp, header, history):
    """The spectra.tmp layout: photons per keV per cm2 per mAs at 100 cm.
    The four header values are the tube voltage (kV), the aluminium
    filtration (mm), the anode (1 = tungsten) and the anode angle (degrees);
    values below 1e-30 are written as zero."""
    ihd1, hd1, ihd2, hd2 = header
    lines = ["# kaltrovin: %2d  %6.3f  %1d  %6.2f" % (ihd1, hd1, ihd2, hd2),
             "#   %3d  %7.4f  %10.4f" % (len(sp.ebin), sp.de, 100.0),
             "#    1   2  (unit flags)",
             "#  Energy      #/mAs-cm^2-keV"]
    for e, p in zip(sp.ebin, sp.phi):
        p = float(f32(p))
        if p < 1e-30:
            p = 0.0
        lines.append("  %7.3f     %13.4E" % (e, p))
    lines.append("#  Attenuation History:")
    lines.append("# %2d" % len(history))
    for name, val in history:
        lines.append("# %-20s%13.4E" % (name, val))
    write(path, lines)


def make_example_spectrum(db, mats):
    c_tw, k_a, scale = calibrate(db, mats)
    by = {m.name: m for m in mats}
    al = by["aluminium"]
    print("tube model: C = %.4g keV2 cm2/g, A = %.4g K photons per electron, "
          "k = %.4g per keV" % (c_tw, k_a, KRAMERS_K * scale))
    ref = read_spekpy()
    model = tube_spectrum(db, 130.0, 20.0, 0.5, reference_filters(db, mats), c_tw, k_a, scale)
    for label, sp in (("SpekPy 130 kVp", ref), ("model 130 kVp", model)):
        fl, ka, mean, hvl = spectrum_summary(db, sp, al)
        print("  %-15s fluence %.4g /cm2, air kerma %.4g uGy, mean %.2f keV, "
              "HVL %.3f mm Al, K-line share %.3f" % (label, fl, ka, mean, hvl, line_share(sp)))
    bands = [(10, 20), (20, 30), (30, 40), (40, 55), (55, 70), (70, 90), (90, 110), (110, 130)]

    def band_share(sp, a, b):
        tot = sum(sp.phi)
        return sum(p for e, p in zip(sp.ebin, sp.phi) if a <= e < b) / tot
    print("  photon share per band, model / SpekPy: " + ", ".join(
        "%d-%d %.3f/%.3f" % (a, b, band_share(model, a, b), band_share(ref, a, b)) for a, b in bands))
    filters = [(al, 0.25), (by["air"], 100.0)]
    sp = tube_spectrum(db, 80.0, 12.0, 0.5, filters, c_tw, k_a, scale)
    fl, ka, mean, hvl = spectrum_summary(db, sp, al)
    print("  %-15s fluence %.4g /cm2, air kerma %.4g uGy, mean %.2f keV, "
          "HVL %.3f mm Al" % ("80 kVp 2.5 mm Al", fl, ka, mean, hvl))
    os.makedirs(SPECTRA, exist_ok=True)
    write_spectrum(os.path.join(SPECTRA, "w_80kvp_2.5mmal"), sp,
                   (80, 2.5, 1, 12.0),
                   [("Aluminium (mm)", 2.5), ("Air (cm)", 100.0)])


# ---------------------------------------------------------------------------
# Validation values and the self-check

MATERIAL_TEST = ("water", "aluminium", "copper", "lead")
ELEMENT_ENERGIES = (list(range(5, 21)) + list(range(22, 51, 2)) + list(range(55, 101, 5)) +
                    list(range(110, 201, 10)))
EDGE_MARGIN = 0.5  # keV


def all_edges(z):
    return [safe(xrl.EdgeEnergy, z, s) for s in ALL_SHELLS]


def near_edge(e, zs):
    return any(abs(e - ed) <= EDGE_MARGIN for z in zs for ed in all_edges(z) if ed > 1.0)


def validation_cases(mats):
    """(kind, name, energy keV, library total cm2/g, tolerance)."""
    by = {m.name: m for m in mats}
    cases = []
    for name in MATERIAL_TEST:
        m = by[name]
        for e in range(10, 151):
            if not near_edge(e, m.iz):
                cases.append(("material", name, float(e), m.library_total(e), 0.01))
    for z in ROW_Z:
        for e in ELEMENT_ENERGIES:
            if not near_edge(e, [z]):
                cases.append(("element", str(z), float(e), xrl.CS_Total(z, e), 0.03))
    return cases


def write_validation(cases):
    lines = [
        "# Reference values of the validation tests, written by",
        "# tools/make_example_data.py from xraylib %s." % xrl.__version__,
        "# kind name energy(keV) mu/rho(cm2/g) relative-tolerance",
        "# material: a file of examples/data/_materials; element: atomic number",
        "# (a one-element material).  Energies closer than %.1f keV to an" % EDGE_MARGIN,
        "# absorption edge of the material are left out.",
    ]
    for kind, name, e, v, tol in cases:
        lines.append("%-8s %-9s %8.3f %.6E %.3f" % (kind, name, e, v, tol))
    write(os.path.join(TESTDATA, "validation_expected.txt"), lines)


def self_check(db, mats, cases):
    """The deviation of the database, evaluated as the tools do, from the
    library: worst per material, and the worst element rows."""
    by = {m.name: m for m in mats}
    worst = {}
    for kind, name, e, v, tol in cases:
        m = by[name] if kind == "material" else element_material(int(name)).resolve(db)
        d = float(db.mixture(e, m)) / v - 1.0
        key = name if kind == "material" else "element"
        if key not in worst or abs(d) > abs(worst[key][0]):
            worst[key] = (d, e, name)
        if key == "element":
            k2 = "Z%s" % name
            if k2 not in worst or abs(d) > abs(worst[k2][0]):
                worst[k2] = (d, e, name)
    ok = True
    print("worst deviation from the library total:")
    for key in list(MATERIAL_TEST) + ["element"]:
        d, e, name = worst[key]
        tol = 0.01 if key != "element" else 0.03
        flag = "" if abs(d) < tol else "   EXCEEDS %.0f%%" % (tol * 100)
        ok = ok and abs(d) < tol
        print("  %-10s %+.4f%% at %6.1f keV%s%s" % (
            key, 100 * d, e, " (Z %s)" % name if key == "element" else "", flag))
    rows = sorted((abs(v[0]), k, v) for k, v in worst.items() if k.startswith("Z"))
    print("  five worst element rows:",
          ", ".join("%s %+.3f%% at %g keV" % (k, 100 * v[0], v[1]) for _, k, v in rows[-5:]))
    # the whole 1..800 keV range (not part of the tests): worst elements
    wide = []
    for z in ROW_Z:
        m = element_material(z).resolve(db)
        es = np.exp(np.linspace(math.log(1.0), math.log(800.0), 300))
        w = 0.0
        for e in es:
            if near_edge(e, [z]) or e < 1.0:
                continue
            w = max(w, abs(float(db.mixture(e, m)) / xrl.CS_Total(z, e) - 1.0))
        wide.append((w, z))
    wide.sort()
    print("  1-800 keV (edges excluded), worst rows:",
          ", ".join("Z%d %.2f%%" % (z, 100 * w) for w, z in wide[-5:]))
    nist_check(db, by)
    return ok and positivity_check(db)


def positivity_check(db):
    """Every fit finite and positive from 1 keV to 20 MeV (the top of the
    air table), evaluated as the tools do."""
    bad = []
    es = np.exp(np.linspace(0.0, math.log(2e4), 500))
    for z in ROW_Z:
        for e in es:
            xpe, xinc, xcoh, _ = db.mu(e, z)
            if not all(math.isfinite(float(v)) and v > 0 for v in (xpe, xinc, xcoh)):
                bad.append((z, e))
                break
    print("fits finite and positive from 1 keV to 20 MeV: %s" %
          ("yes" if not bad else "NO: %s" % bad))
    return not bad


def nist_check(db, by):
    print("worst deviation from NIST SRD 126, 10-150 keV away from edges:")
    for name, fname in (("water", "water"), ("aluminium", "z13"),
                        ("copper", "z29"), ("lead", "z82")):
        rows = read_nist(os.path.join(TESTDATA, "nist", fname + ".dat"))
        edges = [rows[i][0] * 1000 for i in range(len(rows) - 1)
                 if abs(rows[i + 1][0] - rows[i][0]) < 1e-9 * rows[i][0]]
        worst = (0.0, 0.0)
        for e, m, _ in rows:
            e *= 1000
            if e < 10 - 1e-9 or e > 150 + 1e-9 or any(abs(e - x) <= EDGE_MARGIN for x in edges):
                continue
            d = float(db.mixture(e, by[name])) / m - 1.0
            if abs(d) > abs(worst[0]):
                worst = (d, e)
        print("  %-10s %+.4f%% at %g keV" % (name, 100 * worst[0], worst[1]))
    # exposure: the air table at the tabulated energies
    rows = read_nist(os.path.join(TESTDATA, "nist", "air.dat"))
    worst = (0.0, 0.0)
    for e, _, men in rows:
        if not 0.010 - 1e-12 <= e <= 0.150 + 1e-12:
            continue
        le = f32(math.log10(float(f32(e * 1000)) / float(f32(1000.0))))
        v = 10.0 ** float(interp(db.airle, db.airlm, le))
        d = v / men - 1.0
        if abs(d) > abs(worst[0]):
            worst = (d, e * 1000)
    print("  %-10s %+.4f%% at %g keV (air table)" % ("dry air", 100 * worst[0], worst[1]))


def interp(x, y, xp):
    """The tools' five-point polynomial interpolation (Neville)."""
    n = len(x)
    lo, hi, mid = 1, n, n // 2
    found = None
    for _ in range(n):
        if xp == x[mid - 1]:
            return y[mid - 1]
        if xp < x[mid - 1]:
            hi = mid
        else:
            lo = mid
        if hi - lo == 1:
            if xp == x[hi - 1]:
                return y[hi - 1]
            if xp == x[lo - 1]:
                return y[lo - 1]
            found = lo
            break
        mid = (lo + hi) // 2
    if found is None:
        found = mid
    start = found - 2
    end = start + 4
    if start <= 0:
        start, end = 1, min(5, n)
    elif end > n:
        end, start = n, max(1, n - 4)
    X = [float(v) for v in x[start - 1:end]]
    Y = [f32(v) for v in y[start - 1:end]]
    npts = len(X)
    c, d = list(Y), list(Y)
    ns, best = 1, None
    for k in range(npts):
        dist = abs(float(xp) - X[k])
        if best is None or dist < best:
            ns, best = k + 1, dist
    r = Y[ns - 1]
    ns -= 1
    for m in range(1, npts):
        for i in range(1, npts - m + 1):
            ho = f32(X[i - 1] - float(xp))
            hp = f32(X[i + m - 1] - float(xp))
            w = f32(float(c[i]) - float(d[i - 1]))
            den = f32(float(ho) - float(hp))
            q = float(w) / float(den)
            d[i - 1] = f32(float(hp) * q)
            c[i - 1] = f32(float(ho) * q)
        if 2 * ns < npts - m:
            dy = c[ns]
        else:
            dy = d[ns - 1]
            ns -= 1
        r = f32(float(r) + float(dy))
    return r


# ---------------------------------------------------------------------------

def main(argv):
    check_only = "--check" in argv
    if not check_only:
        make_database()
    db = Database()
    mats = [m.resolve(db) for m in material_list()]
    if not check_only:
        os.makedirs(MATERIALS, exist_ok=True)
        for m in mats:
            write_material(m)
        make_detectors(db, mats)
    if SEGMENT_REPORT:
        bad = sorted((v[0], z) for z, v in SEGMENT_REPORT.items())
        canc = sorted((v[1], z) for z, v in SEGMENT_REPORT.items())
        print("photoelectric segments: worst fit (1 = 0.1 %% of the total in "
              "5-200 keV) %s; worst cancellation %s" % (
                  ", ".join("Z%d %.2f" % (z, b) for b, z in bad[-4:]),
                  ", ".join("Z%d %.1f" % (z, c) for c, z in canc[-3:])))
    if not check_only:
        make_example_spectrum(db, mats)
    cases = validation_cases(mats)
    if not check_only:
        write_validation(cases)
    ok = self_check(db, mats, cases)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
