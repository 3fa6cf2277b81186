#include "app/timer.h"

int tskip = 1;
int tskip_sec = 1;
int old_tskip_sec = 1;

std::atomic<int> bat_state1{1000};
int bat_state2 = 1000;
bool monVolMes = true;

bool m_Show = false;
bool canNShow = false;
bool can_Test_Data_Show = false;

char wheel_str_01[kWheelTextSize] = " ";
bool can_Wheel_Show = false;

char gps_nmea_string[kNmeaTextSize] = "";
int gps_zero = 0;

int FileMode = 0;
CSDLText_DT* clock_widget = nullptr;

bool test_gps_written = false;
int test_gps_second = 0;
