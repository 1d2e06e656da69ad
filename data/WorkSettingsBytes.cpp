// The byte form in which a work program travels to and from the remote
// application, and the work report line of the work log.

#include "data/WorkSettings.h"

#include "platform/log.h"

namespace {

void append(ByteVector &out, const ByteVector &more)
{
    out.insert(out.end(), more.begin(), more.end());
}

// Bytes of a guest program after its name: type, minimum stock (4), reference
// glass, four portion and mode bytes, 14 milling and 40 emulsion step bytes,
// extra cycles.
constexpr uint32_t GUEST_BODY_SIZE = 1 + 4 + 1 + 4 + 2 * MILLING_STEPS + 5 * EMULSION_STEPS + 1;

} // namespace

void WorkSettings::appendStepBlock(ByteVector &out) const
{
    out.push_back(_portionDimension);
    out.push_back(_millingPressionType);
    out.push_back(_millingPressionIntensity);
    out.push_back(_emulsionWorkingMode);
    for (const MillingStep &s : _millingSteps) {
        out.push_back(s.CutSpeed);
        out.push_back(s.ImmersionSpeed);
    }
    for (const EmulsionStep &s : _emulsionSteps) {
        out.push_back(s.CutSpeed);
        out.push_back(s.ImmersionSpeed);
        out.push_back(s.PressionIntensity);
        out.push_back(s.PressionType);
        out.push_back(s.Pause);
    }
}

void WorkSettings::readStepBlock(const std::function<uint8_t()> &next)
{
    _portionDimension = next();
    _millingPressionType = next();
    _millingPressionIntensity = next();
    _emulsionWorkingMode = next();
    for (MillingStep &s : _millingSteps) {
        s.CutSpeed = next();
        s.ImmersionSpeed = next();
    }
    for (EmulsionStep &s : _emulsionSteps) {
        s.CutSpeed = next();
        s.ImmersionSpeed = next();
        s.PressionIntensity = next();
        s.PressionType = next();
        s.Pause = next();
    }
}

ByteVector WorkSettings::toByte() const
{
    ByteVector out;
    append(out, toByteArray(getRecipeCode()));
    out.push_back(getRecipeType());
    append(out, toByteArray(getRecipeName().toStdString()));
    append(out, toByteArray(static_cast<uint32_t>(minStockQty)));
    out.push_back(referenceGlass);
    append(out, toByteArray(getUpdate()));
    appendStepBlock(out);
    out.push_back(extraEmulsionStep);
    out.push_back(getIngredientNumber());
    return out;
}

bool WorkSettings::fromByteAsGuest(const ByteVector &bytes, uint32_t *position)
{
    if (!position || *position >= bytes.size())
        return false;
    std::size_t at = *position;
    const std::size_t nameLength = bytes[at++];
    if (bytes.size() - at < nameLength + GUEST_BODY_SIZE)
        return false;

    // Read into a copy: a program refused for its values changes nothing.
    WorkSettings read = *this;
    auto next = [&bytes, &at]() { return bytes[at++]; };
    read.displayName =
        QString::fromUtf8(reinterpret_cast<const char *>(bytes.data() + at), static_cast<int>(nameLength));
    at += nameLength;
    const uint8_t type = next();
    read.path.clear();
    read.setRecipeType(type);
    uint32_t stockPos = static_cast<uint32_t>(at);
    read.minStockQty = static_cast<uint8_t>(uint32FromByteArray(bytes, &stockPos));
    at = stockPos;
    read.referenceGlass = next();
    read.readStepBlock(next);
    read.extraEmulsionStep = next();
    const std::string problem = read.rangeProblem(true);
    if (!problem.empty()) {
        platform::debugLine("WorkSettings -> programma ospite rifiutato: " + problem);
        return false;
    }
    *this = read;
    *position = static_cast<uint32_t>(at);
    return true;
}

namespace {

// "%f" with a decimal comma, as the work log's spreadsheet expects.
QString decimalComma(double v)
{
    return QString::asprintf("%f", v).replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace

QString WorkSettings::toString() const
{
    QString s = QStringLiteral(
        "\nNome Ricetta;Tempo Lavorazione;Stop Utente;Numero Porzioni;Dimensione Porzione;Tipo Pressione;"
        "Intensità Pressione;|;Fresatura;Affondamento;|;Pausa;Fresatura;Affondamento;Tipo Pressione;"
        "Intensità Pressione;\n");

    s += getRecipeName() + ";";
    // A report asked for before the end time is set must not show a wrapped
    // unsigned difference.
    const uint32_t workTime = endWork >= startWork ? endWork - startWork : 0;
    s += QString::asprintf("%u;%d;%d;%d;%d;%d;", workTime, userStop ? 1 : 0, _portionNumber, _portionDimension,
                           _millingPressionType, _millingPressionIntensity);

    for (int k = 0; k < EMULSION_STEPS; ++k) {
        if (k > 0)
            s += QStringLiteral("\n;;;;;;;");
        s += QStringLiteral("|;");
        if (k >= MILLING_STEPS)
            s += QStringLiteral(";;");
        else if (2 * k >= _portionDimension)
            s += QStringLiteral("-;-;");
        else
            s += QString::asprintf("%d;%d;", _millingSteps[k].CutSpeed, _millingSteps[k].ImmersionSpeed);
        s += QStringLiteral("|;");
        const EmulsionStep &e = _emulsionSteps[k];
        if (e.Pause == EMULSION_STEP_DISABLED)
            s += QStringLiteral("-;-;-;-;-;");
        else
            s += QString::asprintf("%d;%d;%d;%d;%d;", e.Pause, e.CutSpeed, e.ImmersionSpeed, e.PressionType,
                                   e.PressionIntensity);
    }

    s += QStringLiteral("\n;;Min;Medio;Max;Numero Campioni;\n");
    s += QStringLiteral(";Temperature:;") + decimalComma(temperatureMin) + ";" + decimalComma(temperatureMid) + ";"
         + decimalComma(temperatureMax) + ";" + QString::asprintf("%u;", temperatureCount);
    s += QStringLiteral("\n;Assorbimento:;") + decimalComma(absorptionMin) + ";" + decimalComma(absorptionMid) + ";"
         + decimalComma(absorptionMax) + ";" + QString::asprintf("%u;", absorptionCount);
    return s;
}
