// Generates the two conversion tables of data/Tables.cpp from the board's
// measuring circuits, so that the literals there can be checked and rebuilt:
//
//   frostpanel-conversion-tables            both tables as C++ initialisers
//   frostpanel-conversion-tables --values   one value per line, temperature
//                                           then absorption (for the tests)
//
// Temperature. The board reads an NTC thermistor through a resistor divider
// with a 7-bit converter; sample x stands for the middle of its bin, so the
// thermistor-to-resistor ratio is r = (x + 0.5) / (127.5 - x). By the
// Steinhart-Hart relation 1/T (kelvin) is a polynomial in ln r; here it is the
// polynomial of degree 6 through the seven calibration points of the machine
// (raw 0, 1, 10, 64, 99, 126, 127). The resulting curve falls steeply at both
// ends of the range, is strictly decreasing, and crosses 0 degrees between
// samples 98 and 99. The calibration points themselves are printed as the
// calibration gives them, so they hold exactly and not merely to the last bit
// of the evaluation.
//
// Absorption. Sample i is i * 27.44 / 127 truncated to two decimals, computed
// in whole hundredths so that no value lands one hundredth low; sample 0 reads
// 0.01 and sample 61 reads 13.18, as the board's calibration states (the
// formula alone would give 13.17 there).

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int SIZE = 128;

struct CalibrationPoint
{
    int raw;
    double celsius;
    const char *text; // as printed in the calibration
};

const CalibrationPoint CALIBRATION[] = {
    {0, 345.499383860625, "345.499383860625"},     {1, 194.233083661695, "194.233083661695"},
    {10, 92.42715620549, "92.42715620549"},        {64, 24.9564281996148, "24.9564281996148"},
    {99, -0.148180021456767, "-0.148180021456767"}, {126, -46.3463437836309, "-46.3463437836309"},
    {127, -55.8621708031496, "-55.8621708031496"},
};
constexpr int POINTS = sizeof CALIBRATION / sizeof CALIBRATION[0];

double logRatio(int raw)
{
    return std::log((raw + 0.5) / (127.5 - raw));
}

const CalibrationPoint *calibrationAt(int raw)
{
    for (const CalibrationPoint &p : CALIBRATION) {
        if (p.raw == raw)
            return &p;
    }
    return nullptr;
}

// Newton form of the interpolating polynomial of 1/T over ln r.
struct Curve
{
    double nodes[POINTS];
    double coefficients[POINTS];

    Curve()
    {
        for (int i = 0; i < POINTS; ++i) {
            nodes[i] = logRatio(CALIBRATION[i].raw);
            coefficients[i] = 1.0 / (CALIBRATION[i].celsius + 273.15);
        }
        for (int j = 1; j < POINTS; ++j) {
            for (int i = POINTS - 1; i >= j; --i)
                coefficients[i] = (coefficients[i] - coefficients[i - 1]) / (nodes[i] - nodes[i - j]);
        }
    }

    double celsius(int raw) const
    {
        const double u = logRatio(raw);
        double inverseKelvin = coefficients[POINTS - 1];
        for (int i = POINTS - 2; i >= 0; --i)
            inverseKelvin = inverseKelvin * (u - nodes[i]) + coefficients[i];
        return 1.0 / inverseKelvin - 273.15;
    }
};

std::string temperatureText(const Curve &curve, int raw)
{
    if (const CalibrationPoint *p = calibrationAt(raw))
        return p->text;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", curve.celsius(raw));
    return buf;
}

std::string absorptionText(int raw)
{
    long hundredths = raw * 2744L / 127;
    if (raw == 0)
        hundredths = 1;
    else if (raw == 61)
        hundredths = 1318;
    char buf[24];
    std::snprintf(buf, sizeof buf, "%ld.%02ld", hundredths / 100, hundredths % 100);
    return buf;
}

void printInitialiser(const char *name, std::string (*text)(const Curve &, int), const Curve &curve, int perLine)
{
    std::printf("double %s[CONVERSION_TABLE_SIZE] = {\n", name);
    for (int i = 0; i < SIZE; ++i) {
        if (i % perLine == 0)
            std::printf("    ");
        std::printf("%s,", text(curve, i).c_str());
        std::printf(i % perLine == perLine - 1 || i == SIZE - 1 ? "\n" : " ");
    }
    std::printf("};\n");
}

std::string absorptionEntry(const Curve &, int raw)
{
    return absorptionText(raw);
}

} // namespace

int main(int argc, char **argv)
{
    const Curve curve;
    if (argc > 1 && std::strcmp(argv[1], "--values") == 0) {
        for (int i = 0; i < SIZE; ++i)
            std::printf("%s\n", temperatureText(curve, i).c_str());
        for (int i = 0; i < SIZE; ++i)
            std::printf("%s\n", absorptionText(i).c_str());
        return 0;
    }
    printInitialiser("temperatureConversionTable", &temperatureText, curve, 4);
    printInitialiser("absorptionConversionTable", &absorptionEntry, curve, 10);
    return 0;
}
