#include "data/Tables.h"

// TODO(presets and tables): the values below are placeholders (all zero)
// until the preset and limit table work supplies the real defaults: the rpm
// defaults and cutspeed_max 8, the nine immersion speeds, the thermistor
// curve and the absorption scale. Readers already cope with a zero speed.
int rpmSpeedTable[RPM_SPEED_TABLE_SIZE] = {};
int cutspeed_max = 0;
double immersionSpeedTable[IMMERSION_SPEED_TABLE_SIZE] = {};
double temperatureConversionTable[CONVERSION_TABLE_SIZE] = {};
double absorptionConversionTable[CONVERSION_TABLE_SIZE] = {};
