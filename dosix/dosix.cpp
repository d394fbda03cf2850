// dosix: the exposure, in mR per mAs, that the current spectrum delivers at
// its distance.
//
// Every bin's energy fluence (ergs per cm2 per mAs) is weighted with the mass
// energy-absorption coefficient of air at the bin energy, interpolated in the
// built-in table below; the sum divided by 0.0869 is the exposure.  Only a
// per-cm2 spectrum has an exposure; a per-steradian one is refused.

#include <array>
#include <string>

#include "dosix.h"
#include "constants.h"
#include "interp.h"
#include "spectrum_file.h"
#include "text/list_output.h"
#include "text/run_end.h"

namespace zelpra {

namespace {

// Mass energy-absorption coefficient of air, cm2/g, at 1, 2, .. 200 keV.
struct ExposureAirTable {
  static constexpr int32_t kPoints = 200;
  std::array<float, kPoints> eair;   // keV
  std::array<float, kPoints> muair;  // cm2/g
};

// The abscissae: every whole keV from 1 to 200.
constexpr std::array<float, ExposureAirTable::kPoints> whole_kev() {
  std::array<float, ExposureAirTable::kPoints> e{};
  for (int32_t i = 0; i < ExposureAirTable::kPoints; ++i) e[i] = static_cast<float>(i + 1);
  return e;
}

constexpr ExposureAirTable kExposureAirTable = {
  whole_kev(),
  {{
    /*   1 */ 2837.5f, 419.74f, 127.85f, 60.646f, 31.0f, 17.831f, 11.153f, 7.429f, 5.2f, 3.789f,
    /*  11 */ 2.854f, 2.212f, 1.757f, 1.426f, 1.18f, 0.99f, 0.845f, 0.664f, 0.587f, 0.479f,
    /*  21 */ 0.419f, 0.346f, 0.31f, 0.254f, 0.234f, 0.2f, 0.185f, 0.165f, 0.155f, 0.139f,
    /*  31 */ 0.124f, 0.115f, 0.106f, 0.096f, 0.09f, 0.084f, 0.078f, 0.071f, 0.067f, 0.0616f,
    /*  41 */ 0.0581f, 0.0558f, 0.0532f, 0.0499f, 0.0479f, 0.0452f, 0.0435f, 0.0413f, 0.0398f, 0.0376f,
    /*  51 */ 0.0367f, 0.0354f, 0.0345f, 0.0334f, 0.0326f, 0.0317f, 0.031f, 0.0302f, 0.0295f, 0.0287f,
    /*  61 */ 0.0285f, 0.0283f, 0.028f, 0.0276f, 0.0272f, 0.0269f, 0.0266f, 0.0263f, 0.026f, 0.0257f,
    /*  71 */ 0.0254f, 0.0251f, 0.0249f, 0.0247f, 0.0245f, 0.0241f, 0.024f, 0.0238f, 0.0237f, 0.0236f,
    /*  81 */ 0.0235f, 0.0234f, 0.0233f, 0.0233f, 0.0232f, 0.0232f, 0.0231f, 0.023f, 0.023f, 0.023f,
    /*  91 */ 0.023f, 0.023f, 0.023f, 0.023f, 0.023f, 0.023f, 0.023f, 0.023f, 0.023f, 0.023f,
    /* 101 */ 0.023f, 0.023f, 0.023f, 0.023f, 0.023f, 0.0231f, 0.0232f, 0.0233f, 0.0233f, 0.0234f,
    /* 111 */ 0.0234f, 0.0235f, 0.0235f, 0.0236f, 0.0236f, 0.0236f, 0.0237f, 0.0238f, 0.0238f, 0.0239f,
    /* 121 */ 0.0239f, 0.024f, 0.024f, 0.0241f, 0.0241f, 0.0242f, 0.0243f, 0.0243f, 0.0244f, 0.0244f,
    /* 131 */ 0.0244f, 0.0244f, 0.0245f, 0.0245f, 0.0245f, 0.0246f, 0.0246f, 0.0247f, 0.0247f, 0.0248f,
    /* 141 */ 0.0248f, 0.0249f, 0.0249f, 0.025f, 0.025f, 0.0251f, 0.0251f, 0.0252f, 0.0252f, 0.0253f,
    /* 151 */ 0.0253f, 0.0254f, 0.0254f, 0.0255f, 0.0255f, 0.0255f, 0.0255f, 0.0256f, 0.0256f, 0.0256f,
    /* 161 */ 0.0256f, 0.0257f, 0.0257f, 0.0258f, 0.0258f, 0.0258f, 0.0258f, 0.0259f, 0.0259f, 0.0259f,
    /* 171 */ 0.0259f, 0.026f, 0.026f, 0.0261f, 0.0261f, 0.0261f, 0.0261f, 0.0262f, 0.0262f, 0.0262f,
    /* 181 */ 0.0262f, 0.0263f, 0.0263f, 0.0264f, 0.0264f, 0.0264f, 0.0264f, 0.0265f, 0.0265f, 0.0265f,
    /* 191 */ 0.0265f, 0.0266f, 0.0266f, 0.0267f, 0.0267f, 0.0267f, 0.0267f, 0.0268f, 0.0268f, 0.0268f,
  }},
};

}  // namespace

void EXPOSURE() {
  const ExposureAirTable& air = kExposureAirTable;
  UnitFlags iu{};
  READ_SPECTRUM(iu);
  if (iu[1] != 2) {
    refuse_aborting("ERROR in dosix:  units in /sr, not /cm^2");
  }

  const Spectrum& s = SPECTRUM;
  float sum = 0.0f;
  for (int32_t i = 0; i < s.nbin; ++i) {
    const float a =
        INTERP(air.eair.data(), air.muair.data(), ExposureAirTable::kPoints, s.ebin[i], 2, 4);
    // The bin's energy fluence times the air coefficient, kept in double
    // precision until it is added to the running sum.
    double t;
    if (iu[0] == 1) {
      t = static_cast<double>(s.ebin[i]) * s.phi[i] * a * s.de * kErgPerKeV4Digits;
    } else {
      t = static_cast<double>(a) * s.phi[i] * s.de;
    }
    sum = static_cast<float>(sum + t);
  }
  const float exposure =
      static_cast<float>(sum / static_cast<double>(kDosixErgPerGramPerMilliroentgen));

  out() << ListLine()
               .text("Exposure = ")
               .real(exposure)
               .text(" mR/mAs at ")
               .real(s.dist)
               .text(" cm.")
               .str();
}

}  // namespace zelpra
