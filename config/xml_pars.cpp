#include "config/xml_pars.h"

#include "platform/globals.h"
#include "config/parameters.h"
#include "platform/host_paths.h"
#include "platform/shell.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <locale>
#include <sstream>
#include <string>

CXML_PARS xml_pars;

namespace {

// ---- The scalar keys of <body>, in file order ------------------------------------------

enum class Field { U8, I8, U16, Bool, Float };

struct ScalarKey {
    const char* name;
    const char* comment; // null: no comment attribute
    Field type;          // also the type it is read as: U8/I8 as int, U16, Bool, Float
    void* (*field)(CXML_PARS&);
    double lo, hi;       // accepted range of a value read from the file
};

#define FIELD(f) [](CXML_PARS& x) -> void* { return &x.f; }

// Ranges of the per-antenna and per-wheel values that make the trigger step (pulses per
// trace = point interval x calibration): positive, and small enough that the step stays
// far inside a 32-bit count.
constexpr double kMinPositive = 1e-6;
constexpr double kMaxPointInterval = 1e3;    // metres or inches
constexpr double kMaxWheelCalibration = 1e6; // pulses per metre or per inch

const ScalarKey kScalarKeys[] = {
    {"trigger_type", "0-wheel, 0xFE-time, 0xFF-keyboard", Field::U8, FIELD(trigger_type), 0, 255},
    {"autostacks", nullptr, Field::Bool, FIELD(autostacks), 0, 1},
    {"missed_traces_mode", nullptr, Field::Bool, FIELD(missed_traces_mode), 0, 1},
    {"measurement_direction", "can be 1 or -1", Field::I8, FIELD(measurement_direction), -1, 1},
    {"time_interval", "seconds", Field::Float, FIELD(time_interval), 1e-6, 1e6},
    {"gps_on", nullptr, Field::U8, FIELD(gps_on), 0, 255},
    {"gps_com_usb", "0-no GPS; 1-usb; 2-new antenna GPS; 3 - UART GPS", Field::U8,
     FIELD(gps_com_usb), 0, 3},
    {"gps_check_sum", nullptr, Field::U8, FIELD(gps_check_sum), 0, 255},
    {"gps_best", nullptr, Field::U8, FIELD(gps_best), 0, 255},
    {"gps_brate_ind", nullptr, Field::U8, FIELD(gps_brate_ind), 0, 6},
    {"beeper", nullptr, Field::Bool, FIELD(beeper), 0, 1},
    {"max_bat_level", "volts", Field::Float, FIELD(max_bat_level), 1e-3, 1e3},
    {"backlighter_level", "range is: 0-100", Field::U8, FIELD(backlighter_level), 0, 100},
    {"soil_velocity", "local units", Field::U16, FIELD(soil_velocity), 0, 65535},
    {"powersave", "0-OFF; 1-ON", Field::U16, FIELD(powersave), 0, 65535},
    {"resampling_on", nullptr, Field::U8, FIELD(resampling_on), 0, 255},
    {"trace_view_on", nullptr, Field::Bool, FIELD(trace_view_on), 0, 1},
    {"current_palette", nullptr, Field::U16, FIELD(current_palette), 0, 2},
    {"first_arrival_search_mode", "(0-threshold, 1-MAX)", Field::U8,
     FIELD(first_arrival_search_mode), 0, 1},
    {"grid_x_size", "local units", Field::Float, FIELD(grid_x_size), 0, 1e4},
    {"grid_y_size", "local units", Field::Float, FIELD(grid_y_size), 0, 1e4},
    {"grid_point_interval", "local units", Field::Float, FIELD(grid_point_interval), 0, 1e3},
    {"grid_line_spacing", "local units", Field::Float, FIELD(grid_line_spacing), 0, 1e4},
    {"units", "(0-Imperial; 1-SI)", Field::U8, FIELD(units), 0, 1},
};

#undef FIELD

const char* const kScalesComment = "units can be: (0-m or ft; 1-cm or in; 2-sec; 3-ns); "
                                   "position can be: (0-left; 1-right; 2-top; 3-bottom)";

// ---- Numbers as text -------------------------------------------------------------------

// Default stream formatting in the "C" locale: integers in decimal, floating point with six
// significant digits.
template <typename T>
std::string num(T v)
{
    std::ostringstream os;
    os.imbue(std::locale::classic());
    os << v;
    return os.str();
}

std::string num(uint8_t v) { return num(static_cast<int>(v)); }
std::string num(int8_t v) { return num(static_cast<int>(v)); }
std::string num(bool v) { return num(static_cast<int>(v)); }

// The attribute text as a T: the whole text (blanks around it allowed) must be one number of
// that type. Stream extraction alone would take "12abc" as 12 and "-1" as 65535 for uint16.
template <typename T>
bool parse_number(const char* text, T& out)
{
    std::istringstream is(text);
    is.imbue(std::locale::classic());
    if (std::is_unsigned<T>::value) {
        // Reject a sign before it wraps around.
        const char* p = text;
        while (*p == ' ' || *p == '\t')
            p++;
        if (*p == '-')
            return false;
    }
    T v{};
    is >> v;
    if (is.fail())
        return false;
    is >> std::ws;
    if (!is.eof())
        return false;
    if (std::is_floating_point<T>::value && !std::isfinite(static_cast<double>(v)))
        return false;
    out = v;
    return true;
}

// For printing untrusted text in a diagnostic: at most 40 printable ASCII characters.
std::string printable(const char* s)
{
    std::string out;
    for (; *s && out.size() < 40; s++)
        out += (*s >= 0x20 && *s < 0x7f) ? *s : '?';
    if (*s)
        out += "...";
    return out;
}

template <typename T>
T read_value(const XMLNode& parent, const char* child, const char* attr, T def, bool& missing,
             int i)
{
    XMLNode n = parent.getChildNode(child, i);
    missing = n.isEmpty();
    if (missing)
        return def;
    const char* text = n.getAttribute(attr);
    if (!text)
        return def;
    T v;
    if (!parse_number(text, v)) {
        printf("xml: %s %s=\"%s\" is not a valid number, kept %s\n", child, attr,
               printable(text).c_str(), num(def).c_str());
        return def;
    }
    return v;
}

// Stores a value read into a narrower field when it lies in [lo, hi]; otherwise keeps the
// field and says so.
template <typename F, typename V>
void store(F& field, V v, double lo, double hi, const char* key)
{
    double d = static_cast<double>(v);
    if (d < lo || d > hi) {
        printf("xml: %s %s is out of range, kept %s\n", key, num(v).c_str(), num(field).c_str());
        return;
    }
    field = static_cast<F>(v);
}

// Copies at most size - 1 bytes, never ending inside a UTF-8 character (a cut character
// would make the next file unreadable to strict readers).
void copy_text(char* dst, size_t size, const char* src)
{
    if (!src)
        return;
    size_t n = strnlen(src, size - 1);
    // Cut inside a character: drop its lead and continuation bytes.
    while (n > 0 && src[n] != '\0' && (static_cast<unsigned char>(src[n]) & 0xC0) == 0x80)
        n--;
    memcpy(dst, src, n);
    dst[n] = '\0';
}

// A fixed buffer as a string, even if it lost its terminator in memory.
std::string text_of(const char* buf, size_t size)
{
    return std::string(buf, strnlen(buf, size));
}

XMLNode add_value(XMLNode parent, const char* name, const std::string& value,
                  const char* comment = nullptr)
{
    XMLNode n = parent.addChild(name);
    n.addAttribute("value", value.c_str());
    if (comment)
        n.addAttribute("comment", comment);
    return n;
}

void run_path_cmd(const char* fmt, const char* a, const char* b = nullptr)
{
    char cmd[600];
    if (b)
        snprintf(cmd, sizeof cmd, fmt, sh_path(a).c_str(), sh_path(b).c_str());
    else
        snprintf(cmd, sizeof cmd, fmt, sh_path(a).c_str());
    run_shell(cmd);
}

XMLError last_error = eXMLErrorNone; // of the last load_settings (GUI thread only)

void report_parse(const char* tag, const XMLResults& r)
{
    printf("%s %s\n", tag, XMLNode::getError(r.error));
    if (r.error != eXMLErrorNone && r.nLine > 0)
        printf("%s at line %d, column %d\n", tag, r.nLine, r.nColumn);
}

} // namespace

// ---- from_str --------------------------------------------------------------------------

int CXML_PARS::from_str(const XMLNode& p, const char* c, const char* a, int def, bool& m, int i)
{
    return read_value(p, c, a, def, m, i);
}

bool CXML_PARS::from_str(const XMLNode& p, const char* c, const char* a, bool def, bool& m, int i)
{
    return read_value(p, c, a, def, m, i);
}

float CXML_PARS::from_str(const XMLNode& p, const char* c, const char* a, float def, bool& m,
                          int i)
{
    return read_value(p, c, a, def, m, i);
}

uint16_t CXML_PARS::from_str(const XMLNode& p, const char* c, const char* a, uint16_t def,
                             bool& m, int i)
{
    return read_value(p, c, a, def, m, i);
}

double CXML_PARS::from_str(const XMLNode& p, const char* c, const char* a, double def, bool& m,
                           int i)
{
    return read_value(p, c, a, def, m, i);
}

// ---- Defaults --------------------------------------------------------------------------

CXML_PARS::CXML_PARS()
{
    Init();
}

void CXML_PARS::Init()
{
    missed_traces_mode = true;
    beeper = false;
    resampling_on = 2;
    trace_view_on = false;
    max_bat_level = 11.0f;
    backlighter_level = 100;
    powersave = 1;
    first_arrival_search_mode = 1;
    gps_on = 1;
    gps_com_usb = 2;
    gps_check_sum = 1;
    gps_best = 0;
    gps_brate_ind = 2;
    trigger_type = 0;
    measurement_direction = 1;
    time_interval = 0.1f;
    autostacks = true;
    current_palette = 0;
    soil_velocity = 100;
    grid_x_size = 10.0f;
    grid_y_size = 5.0f;
    grid_point_interval = 0.05f;
    grid_line_spacing = 0.5f;
    units = 1;
    depth_units = 0;
    length_units = 0;
    for (int i = 0; i < kScaleCount; i++) {
        scales[i].visible = (i % 2 == 0);
        scales[i].position = static_cast<uint8_t>(i);
        scales[i].units = 0;
    }

    struct AntennaDefault {
        uint16_t index;
        const char* name;
        const char* sh_name;
        uint16_t samples_in_file, start_samples;
        float point_interval;
        int32_t bias; // fourth integer of the automatic-gain filter
    };
    static const AntennaDefault kAntennas[5] = {
        {0, "Undefined Antenna", "Undef", 700, 500, 0.04f, 2},
        {41, "Tarsel A", "TSA", 700, 500, 0.09f, 2},
        {42, "Tarsel B", "TSB", 700, 500, 0.05f, 2},
        {44, "TK Pro HDR", "QNA", 736, 350, 0.035f, 4},
        {46, "TK Pro HDR", "QNB", 600, 300, 0.02f, 20},
    };
    memset(antenna, 0, sizeof antenna);
    for (int i = 0; i < 5; i++) {
        CAntennaRecord& a = antenna[i];
        const AntennaDefault& d = kAntennas[i];
        a.index = d.index;
        copy_text(a.name, sizeof a.name, d.name);
        copy_text(a.sh_name, sizeof a.sh_name, d.sh_name);
        a.samples_in_file = d.samples_in_file;
        a.start_samples = d.start_samples;
        a.point_interval = d.point_interval;
        a.filter_count = kFilterSlots;
        init_filter(a.filter, kFilterSlots);
        a.filter[4].int_par[3] = d.bias;
    }
    antenna_count = 5;
    current_antenna = 0;

    memset(wheel, 0, sizeof wheel);
    for (int i = 0; i < 5; i++) {
        wheel[i].index = static_cast<uint16_t>(i);
        wheel[i].wheel_calibration = 500.0;
        wheel[i].wheel_direction = 1;
    }
    wheel_count = 3;
    current_wheel = 1;
    copy_text(wheel[0].name, sizeof wheel[0].name, "Undefined Wheel");
    copy_text(wheel[0].sh_name, sizeof wheel[0].sh_name, "Undef");
    copy_text(wheel[1].name, sizeof wheel[1].name, "TK Pro Cart");
    copy_text(wheel[1].sh_name, sizeof wheel[1].sh_name, "Pro Cart");
    wheel[1].wheel_calibration = 360.67;
    wheel[1].wheel_direction = -1;
    copy_text(wheel[2].name, sizeof wheel[2].name, "Trail Cart");
    copy_text(wheel[2].sh_name, sizeof wheel[2].sh_name, "TLC");
    wheel[2].wheel_calibration = 346.8;
    wheel[2].wheel_direction = -1;
}

// ---- Reading ---------------------------------------------------------------------------

namespace {

// Parses one settings file; a document without a <body> is no settings file (error 11).
XMLNode load_settings(const char* device_path, const char* tag)
{
    XMLResults r;
    XMLNode d = XMLNode::parseFile(host_path(device_path).c_str(), nullptr, &r);
    if (!d.isEmpty() && d.getChildNode("body").isEmpty()) {
        d = XMLNode();
        r.error = eXMLErrorFirstTagNotFound;
    }
    report_parse(tag, r);
    last_error = r.error;
    return d;
}

// The name, short name and index attributes every list record carries. An index that is not
// a number below `limit` keeps the old one, with a line saying why (`what` names the record).
template <size_t N, size_t M>
void read_labels(const XMLNode& node, const char* what, char (&name)[N], char (&sh_name)[M],
                 uint16_t& index, unsigned limit, const char* complaint)
{
    copy_text(name, N, node.getAttribute("name"));
    copy_text(sh_name, M, node.getAttribute("sh_name"));
    if (const char* t = node.getAttribute("index")) {
        uint16_t v;
        if (parse_number(t, v) && v < limit)
            index = v;
        else
            printf("xml: %s index=\"%s\" %s, kept %d\n", what, printable(t).c_str(), complaint,
                   index);
    }
}

} // namespace

int CXML_PARS::read_xml_tree()
{
    settings_reset = false;
    {
        MutexLock g(lock_dw);
        doc.deleteNodeContent();
        doc = load_settings(kXmlParsPath, "xml1");
        // A missing file is a device that never saved its settings; one that is there but
        // cannot be used means the operator's settings are lost.
        settings_reset = doc.isEmpty() && last_error != eXMLErrorFileNotFound;
        if (doc.isEmpty()) {
            // Language 8 keeps the factory partition mounted for its font.
            bool mounted = prm.language == 8;
            if (!mounted)
                run_path_cmd("mount %s %s -r", "/dev/sda4", "/mnt/hda4");
            doc = load_settings(kXmlParsFactoryPath, "xml2");
            if (!mounted)
                run_path_cmd("umount %s", "/mnt/hda4");
            settings_reset = settings_reset || (doc.isEmpty() && last_error != eXMLErrorFileNotFound);
        }
    }
    if (doc.isEmpty()) {
        Init();
        return last_error;
    }
    read_body(doc.getChildNode("body"));
    return 0;
}

void CXML_PARS::read_body(const XMLNode& body)
{
    bool missing;
    for (const ScalarKey& k : kScalarKeys) {
        void* f = k.field(*this);
        switch (k.type) {
        case Field::U8: {
            uint8_t& v = *static_cast<uint8_t*>(f);
            store(v, from_str(body, k.name, "value", static_cast<int>(v), missing), k.lo, k.hi,
                  k.name);
            break;
        }
        case Field::I8: {
            int8_t& v = *static_cast<int8_t*>(f);
            int got = from_str(body, k.name, "value", static_cast<int>(v), missing);
            if (got == 0) // the direction is a sign
                printf("xml: %s 0 is out of range, kept %d\n", k.name, v);
            else
                store(v, got, k.lo, k.hi, k.name);
            break;
        }
        case Field::U16: {
            uint16_t& v = *static_cast<uint16_t*>(f);
            store(v, from_str(body, k.name, "value", v, missing), k.lo, k.hi, k.name);
            break;
        }
        case Field::Bool: {
            bool& v = *static_cast<bool*>(f);
            v = from_str(body, k.name, "value", v, missing);
            break;
        }
        case Field::Float: {
            float& v = *static_cast<float*>(f);
            store(v, from_str(body, k.name, "value", v, missing), k.lo, k.hi, k.name);
            break;
        }
        }
    }

    XMLNode sc = body.getChildNode("SCALES");
    for (int i = 0; i < kScaleCount; i++) {
        CScaleRecord& s = scales[i];
        s.visible = from_str(sc, "scale", "visible", s.visible != 0, missing, i);
        store(s.position, from_str(sc, "scale", "position", static_cast<int>(s.position), missing, i),
              0, 3, "scale position");
        store(s.units, from_str(sc, "scale", "units", static_cast<int>(s.units), missing, i), 0, 3,
              "scale units");
    }

    XMLNode ants = body.getChildNode("ANTENNAS");
    int i = 0;
    for (; i < kMaxAntennas; i++) {
        XMLNode a = ants.getChildNode("antenna", i);
        if (a.isEmpty())
            break;
        read_antenna(a, antenna[i]);
    }
    // A full list sets the count as well: otherwise records beyond the old count would be
    // read but neither used nor written back.
    antenna_count = static_cast<uint8_t>(i > 0 ? i : 1);
    if (antenna_count <= current_antenna)
        current_antenna = 0;

    XMLNode wh = body.getChildNode("WHEELS");
    int cur = from_str(body, "WHEELS", "current", static_cast<int>(current_wheel), missing);
    store(current_wheel, cur, 0, kMaxWheels - 1, "WHEELS current");
    for (i = 0; i < kMaxWheels; i++) {
        XMLNode w = wh.getChildNode("wheel", i);
        if (w.isEmpty())
            break;
        read_wheel(w, wheel[i]);
    }
    wheel_count = static_cast<uint8_t>(i > 0 ? i : 1);
    if (wheel_count <= current_wheel)
        current_wheel = 0;
}

void CXML_PARS::read_antenna(const XMLNode& node, CAntennaRecord& a)
{
    bool missing;
    read_labels(node, "antenna", a.name, a.sh_name, a.index, 0x10000, "is not a valid number");
    a.samples_in_file = from_str(node, "samples_in_file", "value", a.samples_in_file, missing);
    a.start_samples = from_str(node, "start_samples", "value", a.start_samples, missing);
    store(a.point_interval, from_str(node, "point_interval", "value", a.point_interval, missing),
          kMinPositive, kMaxPointInterval, "point_interval");

    XMLNode filters = node.getChildNode("FILTERS");
    int j = 0;
    for (; j < kFilterSlots; j++) {
        XMLNode fn = filters.getChildNode("filter", j);
        if (fn.isEmpty())
            break;
        CFilterRecord& f = a.filter[j];
        read_labels(fn, "filter", f.name, f.sh_name, f.index, kFilterSlots, "is not a filter kind");
        f.display_on = from_str(fn, "display_on", "value", f.display_on != 0, missing);
        f.file_on = from_str(fn, "file_on", "value", f.file_on != 0, missing);
        for (int k = 0; k < kFilterIntPars; k++) {
            int v = from_str(fn, "int_par", "value", static_cast<int>(f.int_par[k]), missing, k);
            if (missing)
                break;
            f.int_par[k] = v;
        }
        f.float_par = from_str(fn, "float_par", "value", f.float_par, missing);
    }
    a.filter_count = static_cast<uint8_t>(j > 0 ? j : 1);
    // These display switches are not the operator's to keep between sessions.
    a.filter[1].display_on = 0;
    a.filter[3].display_on = 1;
    a.filter[5].display_on = 1;
    a.filter[6].display_on = 1;
}

void CXML_PARS::read_wheel(const XMLNode& node, CWheelRecord& w)
{
    bool missing;
    read_labels(node, "wheel", w.name, w.sh_name, w.index, 0x10000, "is not a valid number");
    store(w.wheel_calibration, from_str(node, "wheel_calibration", "value", w.wheel_calibration, missing),
          kMinPositive, kMaxWheelCalibration, "wheel_calibration");
    int dir = from_str(node, "wheel_direction", "value", static_cast<int>(w.wheel_direction), missing);
    if (dir >= -1 && dir <= 1) // 0 is what unused records hold
        w.wheel_direction = static_cast<int8_t>(dir);
    else
        printf("xml: wheel_direction %d is out of range, kept %d\n", dir, w.wheel_direction);
}

// ---- Writing ---------------------------------------------------------------------------

void CXML_PARS::build_document()
{
    doc.deleteNodeContent();
    doc = XMLNode::createXMLTopNode("xml", true);
    doc.addAttribute("version", "1.0");
    doc.addAttribute("encoding", "iso-8859-1");
    XMLNode body = doc.addChild("body");

    add_value(body, "r5_parameters_version", "1");
    for (const ScalarKey& k : kScalarKeys) {
        void* f = k.field(*this);
        std::string v;
        switch (k.type) {
        case Field::U8: v = num(*static_cast<uint8_t*>(f)); break;
        case Field::I8: v = num(*static_cast<int8_t*>(f)); break;
        case Field::U16: v = num(*static_cast<uint16_t*>(f)); break;
        case Field::Bool: v = num(*static_cast<bool*>(f)); break;
        case Field::Float: v = num(*static_cast<float*>(f)); break;
        }
        XMLNode n = add_value(body, k.name, v, k.comment);
        if (f == &units) {
            add_value(n, "depth_units", num(depth_units), "0-m or ft; 1-cm or in; 2-sec; 3-ns");
            add_value(n, "length_units", num(length_units), "0-m or ft; 1-cm or in; 2-sec");
        }
    }

    XMLNode sc = body.addChild("SCALES");
    sc.addAttribute("comment", kScalesComment);
    for (const CScaleRecord& s : scales) {
        XMLNode n = sc.addChild("scale");
        n.addAttribute("visible", num(s.visible).c_str());
        n.addAttribute("position", num(s.position).c_str());
        n.addAttribute("units", num(s.units).c_str());
    }

    XMLNode ants = body.addChild("ANTENNAS");
    int na = antenna_count < kMaxAntennas ? antenna_count : kMaxAntennas;
    for (int i = 0; i < na; i++) {
        const CAntennaRecord& a = antenna[i];
        XMLNode an = ants.addChild("antenna");
        an.addAttribute("index", num(a.index).c_str());
        an.addAttribute("name", text_of(a.name, sizeof a.name).c_str());
        an.addAttribute("sh_name", text_of(a.sh_name, sizeof a.sh_name).c_str());
        add_value(an, "samples_in_file", num(a.samples_in_file));
        add_value(an, "start_samples", num(a.start_samples));
        add_value(an, "point_interval", num(a.point_interval), "local units");
        XMLNode fs = an.addChild("FILTERS");
        int nf = a.filter_count < kFilterSlots ? a.filter_count : kFilterSlots;
        for (int j = 0; j < nf; j++) {
            const CFilterRecord& f = a.filter[j];
            XMLNode fn = fs.addChild("filter");
            fn.addAttribute("index", num(f.index).c_str());
            fn.addAttribute("name", text_of(f.name, sizeof f.name).c_str());
            fn.addAttribute("sh_name", text_of(f.sh_name, sizeof f.sh_name).c_str());
            add_value(fn, "display_on", num(f.display_on != 0));
            add_value(fn, "file_on", num(f.file_on != 0));
            for (int k = 0; k < filter_int_par_count(f.index); k++)
                add_value(fn, "int_par", num(f.int_par[k]), filter_int_par_comment(f.index, k));
            if (filter_has_float_par(f.index))
                add_value(fn, "float_par", num(f.float_par), filter_float_par_comment());
        }
    }

    XMLNode wh = body.addChild("WHEELS");
    wh.addAttribute("current", num(current_wheel).c_str());
    int nw = wheel_count < kMaxWheels ? wheel_count : kMaxWheels;
    for (int i = 0; i < nw; i++) {
        const CWheelRecord& w = wheel[i];
        XMLNode wn = wh.addChild("wheel");
        wn.addAttribute("index", num(w.index).c_str());
        wn.addAttribute("name", text_of(w.name, sizeof w.name).c_str());
        wn.addAttribute("sh_name", text_of(w.sh_name, sizeof w.sh_name).c_str());
        add_value(wn, "wheel_calibration", num(w.wheel_calibration));
        add_value(wn, "wheel_direction", num(w.wheel_direction));
    }
}

int CXML_PARS::write_xml_tree()
{
    build_document();
    MutexLock g(lock_dw);
    XMLError e = doc.writeToFile(host_path(kXmlParsPath).c_str(), nullptr, 1);
    if (e != eXMLErrorNone)
        printf("xml write: %s\n", XMLNode::getError(e));
    run_shell("sync");
    return e;
}
