/* Sensor capabilities of the Zentrafox models: which sensor supports which optional control, and
 * DPI code tables (SENSOR_<model>_DPI_<dpi> = device code) for the sensors that need one. */
#ifndef DRIVER_SENSOR_H
#define DRIVER_SENSOR_H

#define SUPPORT_SENSOR_MODE_SEL	3395,3950,3955,OM76
#define SUPPORT_LOD_CAL	3395,3950,3955,S312
#define SUPPORT_RIPPLE	3395,3950,3955,3311
#define SUPPORT_FIXLINE	3395,3950,3955,3311,S312
#define SUPPORT_MOTION_SYNC	3395,3950,3955,OM76
#define SUPPORT_MOUSEPAD_CAL	3950,3955

/* 3315: 100 DPI per code up to 3200; the coarse range (flag 0x22) counts 200 DPI per code, so its
 * codes repeat those of the fine range and follow them here. */
#define SENSOR_3315_DPI_100	0x01
#define SENSOR_3315_DPI_200	2 //fine
#define SENSOR_3315_DPI_300 0x03
#define SENSOR_3315_DPI_400	0x04
#define SENSOR_3315_DPI_500	5 //fine
#define SENSOR_3315_DPI_600 0x06
#define SENSOR_3315_DPI_700	0x07
#define SENSOR_3315_DPI_800	8 //fine
#define SENSOR_3315_DPI_900 0x09
#define SENSOR_3315_DPI_1000	0x0A
#define SENSOR_3315_DPI_1100	11 //fine
#define SENSOR_3315_DPI_1200 0x0C
#define SENSOR_3315_DPI_1300	0x0D
#define SENSOR_3315_DPI_1400	14 //fine
#define SENSOR_3315_DPI_1500 0x0F
#define SENSOR_3315_DPI_1600	0x10
#define SENSOR_3315_DPI_1700	17 //fine
#define SENSOR_3315_DPI_1800 0x12
#define SENSOR_3315_DPI_1900	0x13
#define SENSOR_3315_DPI_2000	20 //fine
#define SENSOR_3315_DPI_2100 0x15
#define SENSOR_3315_DPI_2200	0x16
#define SENSOR_3315_DPI_2300	23 //fine
#define SENSOR_3315_DPI_2400 0x18
#define SENSOR_3315_DPI_2500	0x19
#define SENSOR_3315_DPI_2600	26 //fine
#define SENSOR_3315_DPI_2700 0x1B
#define SENSOR_3315_DPI_2800	0x1C
#define SENSOR_3315_DPI_2900	29 //fine
#define SENSOR_3315_DPI_3000 0x1E
#define SENSOR_3315_DPI_3100	0x1F
#define SENSOR_3315_DPI_3200	32 //fine
#define SENSOR_3315_DPI_3400	0x11
#define SENSOR_3315_DPI_3600	18 //coarse
#define SENSOR_3315_DPI_3800	0x13
#define SENSOR_3315_DPI_4000	20 //coarse
#define SENSOR_3315_DPI_4200	0x15
#define SENSOR_3315_DPI_4400	22 //coarse
#define SENSOR_3315_DPI_4600	0x17
#define SENSOR_3315_DPI_4800	24 //coarse
#define SENSOR_3315_DPI_5000	0x19
#define SENSOR_3315_DPI_5200	26 //coarse
#define SENSOR_3315_DPI_5400	0x1B
#define SENSOR_3315_DPI_5600	28 //coarse
#define SENSOR_3315_DPI_5800	0x1D
#define SENSOR_3315_DPI_6000	30 //coarse
#define SENSOR_3315_DPI_6200	0x1F
#define SENSOR_3315_DPI_6400	32 //coarse

#endif
