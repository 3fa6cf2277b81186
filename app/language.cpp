// setLanguage: the language table, the Chinese font on the factory partition, and the
// rebuild of every screen object.
#include "platform/globals.h"
#include "app/screens.h"
#include "config/parameters.h"
#include "gui/input.h"
#include "gui/lang.h"
#include "gui/screen_table.h"
#include "platform/host_paths.h"
#include "platform/shell.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <string>

namespace {

// Opens the Chinese font from the factory partition (mounted read-only for it). Returns
// whether a font is loaded afterwards.
bool load_chinese_font()
{
    if (CSDLObject::kina_font)
        return true;
    char cmd[512];
    snprintf(cmd, sizeof cmd, "mount %s %s -r", sh_path("/dev/sda4").c_str(), sh_path("/mnt/hda4").c_str());
    run_shell(cmd);
    std::string path = host_path("/mnt/hda4/ier.ttf");
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) {
        mesmode("There is no Chinese font file on the disk!", "", false, 0);
    } else {
        fclose(f);
        CSDLObject::kina_font = sge_TTF_OpenFont(path.c_str(), 24);
    }
    return CSDLObject::kina_font != nullptr;
}

} // namespace

bool close_language_font()
{
    if (prm.language != kLangChinese || !CSDLObject::kina_font)
        return false;
    sge_TTF_CloseFont(CSDLObject::kina_font);
    CSDLObject::kina_font = nullptr;
    return true;
}

void reopen_language_font() { load_chinese_font(); }

void setLanguage(int rebuild)
{
    if (!rebuild) {
        SDL_Delay(200);
        return;
    }
    // The font messages below need the message box: at the first call the table is built
    // in English first.
    if (!mS.obj[9][2]) {
        lngs.create_M(0);
        mS.Init();
    }
    if (prm.language == kLangChinese && !load_chinese_font()) {
        prm.language = 0;
        mesmode("Error opening Chinese font!", "English language is selected", false, 0);
    }
    lngs.create_M(prm.language);
    mS.del_objs();
    mS.Init();
}
