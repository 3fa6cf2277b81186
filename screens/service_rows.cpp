#include "screens/service_screens.h"

void rows_service_level1(CMS& t);
void rows_service_dates(CMS& t);
void rows_service_level2(CMS& t);
void rows_service_level3(CMS& t);
void rows_service_tests(CMS& t);
void rows_wifi_screen(CMS& t);
void rows_positioning_tests(CMS& t);

void rows_service_screens(CMS& t)
{
    rows_service_level1(t);
    rows_service_dates(t);
    rows_service_level2(t);
    rows_service_level3(t);
    rows_service_tests(t);
    rows_wifi_screen(t);
    rows_positioning_tests(t);
}
