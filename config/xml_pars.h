// CXML_PARS: the user settings kept in the XML file /mnt/hda3/r5_parameters.xml (global
// `xml_pars`): trigger, GPS, power, display and units, the antenna list with each antenna's
// filter chain, and the survey-wheel list.
//
// The settings are read once at start-up (read_xml_tree) and the whole file is rewritten
// whenever a screen changes one (write_xml_tree). When the file is missing or broken, the
// factory copy on /mnt/hda4 is used, and failing that the defaults of Init().
//
// File layout (every scalar carries its value in the attribute `value`):
//
//   <?xml version="1.0" encoding="iso-8859-1"?>
//   <body>
//       <r5_parameters_version value="1"/>
//       <trigger_type value=.. comment=../>  ... the scalar keys of kScalarKeys, in order
//       <units value=.. comment=..>
//           <depth_units value=.. comment=../>
//           <length_units value=.. comment=../>
//       </units>
//       <SCALES comment=..> <scale visible=.. position=.. units=../> x4 </SCALES>
//       <ANTENNAS>
//           <antenna index=.. name=.. sh_name=..>
//               <samples_in_file value=../> <start_samples value=../>
//               <point_interval value=.. comment="local units"/>
//               <FILTERS>
//                   <filter index=.. name=.. sh_name=..>
//                       <display_on value=../> <file_on value=../>
//                       <int_par value=.. comment=../> ... by the filter's kind
//                       <float_par value=.. comment=../>   (kind 6 only)
//                   </filter> ...
//               </FILTERS>
//           </antenna> ...
//       </ANTENNAS>
//       <WHEELS current=..>
//           <wheel index=.. name=.. sh_name=..>
//               <wheel_calibration value=../> <wheel_direction value=../>
//           </wheel> ...
//       </WHEELS>
//   </body>
//
// Threads: read and written on the GUI thread; other threads read the fields without a lock.
#pragma once

#include "config/filters.h"
#include "config/xmlParser/xmlParser.h"

#include <cstdint>

constexpr int kMaxAntennas = 10;
constexpr int kMaxWheels = 20;
constexpr int kScaleCount = 4;

constexpr const char* kXmlParsPath = "/mnt/hda3/r5_parameters.xml";
constexpr const char* kXmlParsFactoryPath = "/mnt/hda4/r5_parameters.xml";

// One antenna of the antenna list. The antenna parameter block (eep.ant_record) points at
// the record of the selected antenna.
struct CAntennaRecord {
    uint16_t index;                 // the antenna's identification code (as the CU reports it)
    char name[50];                  // zero-terminated
    char sh_name[20];               // zero-terminated
    uint16_t samples_in_file;       // samples per trace written to the file
    uint16_t start_samples;
    float point_interval;           // distance between traces, local units (m or inches)
    uint8_t filter_count;           // filters in use, 1..7
    CFilterRecord filter[kFilterSlots]; // slot k holds kind k; time gain = filter[2].int_par[3],
                                    // contrast = filter[6].int_par[0]
};

// One survey wheel of the wheel list.
struct CWheelRecord {
    uint16_t index;
    char name[50];                  // zero-terminated
    char sh_name[20];               // zero-terminated
    double wheel_calibration;       // pulses per unit length
    int8_t wheel_direction;         // 1 or -1
};

// One ruler of the radargram.
struct CScaleRecord {
    uint8_t visible;                // 0/1
    uint8_t position;               // 0 left, 1 right, 2 top, 3 bottom
    uint8_t units;                  // 0 m or ft, 1 cm or in, 2 seconds, 3 ns
};

class CXML_PARS {
public:
    bool missed_traces_mode;
    bool beeper;
    uint8_t resampling_on;
    bool trace_view_on;
    float max_bat_level;            // volts
    uint8_t backlighter_level;      // 0..100
    uint16_t powersave;             // 0 off, 1 on
    uint8_t first_arrival_search_mode; // 0 threshold, 1 maximum
    uint8_t gps_on;
    uint8_t gps_com_usb;            // 0 none, 1 USB, 2 GPS in the antenna, 3 serial-port GPS
    uint8_t gps_check_sum;
    uint8_t gps_best;
    uint8_t gps_brate_ind;          // index into CEEP::brate, 0..6
    uint8_t trigger_type;           // 0 wheel, 0xFE time, 0xFF keyboard
    int8_t measurement_direction;   // 1 or -1
    float time_interval;            // seconds between traces with time triggering
    bool autostacks;
    uint16_t current_palette;       // 0..2
    uint16_t soil_velocity;         // local units
    uint8_t units;                  // 0 imperial, 1 SI
    // Proposals of the next grid project (local units: sizes and spacing in the length
    // unit, the point interval in the short point-interval unit).
    float grid_x_size, grid_y_size, grid_point_interval, grid_line_spacing;
    uint8_t depth_units;            // written, not read back
    uint8_t length_units;           // written, not read back
    CScaleRecord scales[kScaleCount];
    uint8_t antenna_count;          // records in use, 1..10
    uint8_t current_antenna;        // kept in memory only
    CAntennaRecord antenna[kMaxAntennas];
    uint8_t wheel_count;            // records in use, 1..20
    uint8_t current_wheel;
    CWheelRecord wheel[kMaxWheels];
    XMLNode doc;                    // the document last read or written

    CXML_PARS();

    // Every field to its default, the five default antennas with their filters and the
    // three default wheels.
    void Init();

    // Loads the settings file into the fields: the file on /mnt/hda3, else the factory copy
    // on /mnt/hda4, else the defaults (Init). A file that does not parse or has no <body>
    // counts as unreadable. Returns 0, or the last error code (the parser's, or 11 for a
    // missing <body>) when no file could be read. A missing key keeps the field's value; a
    // value that is not a number of the key's type or lies outside its range keeps it too,
    // with a diagnostic. Sets settings_reset.
    int read_xml_tree();
    // The last read_xml_tree found a settings file it could not use (present but unreadable)
    // and took the operator's settings from a fallback: start-up tells the operator.
    bool settings_reset = false;

    // Rebuilds the document from the fields and replaces the settings file with it (under
    // lock_dw; the old file stays until the new one is complete on the disk), then syncs.
    // Returns 0, or the writer's error code (15, 16).
    int write_xml_tree();

    // Rebuilds `doc` from the fields (the document write_xml_tree writes) without writing.
    void build_document();

    // Reads attribute `attr` of the i-th child `child` of `parent` by stream extraction into
    // the default's type. `missing` is set to whether that child is absent. The default is
    // returned when the child or the attribute is absent or the text is not entirely a
    // number of that type (a diagnostic names the key then).
    static int from_str(const XMLNode& parent, const char* child, const char* attr, int def,
                        bool& missing, int i = 0);
    static bool from_str(const XMLNode& parent, const char* child, const char* attr, bool def,
                         bool& missing, int i = 0);
    static float from_str(const XMLNode& parent, const char* child, const char* attr, float def,
                          bool& missing, int i = 0);
    static uint16_t from_str(const XMLNode& parent, const char* child, const char* attr,
                             uint16_t def, bool& missing, int i = 0);
    static double from_str(const XMLNode& parent, const char* child, const char* attr,
                           double def, bool& missing, int i = 0);

private:
    void read_body(const XMLNode& body);
    void read_antenna(const XMLNode& node, CAntennaRecord& a);
    void read_wheel(const XMLNode& node, CWheelRecord& w);
};

extern CXML_PARS xml_pars;
