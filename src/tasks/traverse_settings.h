#pragma once

namespace korvela {

// The numbers that judge and weight a traverse. Each is printed on the sheet beside the value
// it judges; the windows keep them as preferences (Settings ▸ "допуски"), the batch front end
// takes the defaults unless its options say otherwise. The defaults come from a course text
// and are to be checked against the instruction the office works to.
struct TraverseSettings {
    double angularLimitSeconds = 60;   // fβ limit: this many seconds times √n
    double relativeLimit = 2000;       // fs / Σd limit: 1 : this
    double heightLimitCentimetres = 0.04;  // fh limit: this · S / √n cm (S in metres)
    double collimationLimitSeconds = 30;  // 2c of a face pair
    double indexLimitSeconds = 30;        // index error of a face pair
    double horizonClosureSeconds = 30;    // a round's closing sight on its first target
    double refraction = 0.14;             // k
    double sigmaDirectionSeconds = 5;     // a direction's a-priori σ
    double sigmaDistanceMillimetres = 3;  // a of σ = a + b·D
    double sigmaDistancePpm = 2;          // b of σ = a + b·D
};

inline bool isValidTraverseSettings(const TraverseSettings& s) {
    const auto positive = [](double v) { return v > 0 && v < 1e12; };
    return positive(s.angularLimitSeconds) && positive(s.relativeLimit) &&
           positive(s.heightLimitCentimetres) && positive(s.collimationLimitSeconds) &&
           positive(s.indexLimitSeconds) && positive(s.horizonClosureSeconds) &&
           s.refraction >= 0 && s.refraction < 1 && positive(s.sigmaDirectionSeconds) &&
           positive(s.sigmaDistanceMillimetres) && s.sigmaDistancePpm >= 0 &&
           s.sigmaDistancePpm < 1e6;
}

}  // namespace korvela
