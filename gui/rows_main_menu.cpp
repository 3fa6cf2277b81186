// Row 34: the main menu ("Projects").
#include "config/parameters.h"
#include "gui/button.h"
#include "gui/indicators.h"
#include "gui/lang.h"
#include "gui/rows.h"
#include "gui/screen_table.h"

namespace {

// The menu's own words in the eleven languages (UTF-8, encoded like the language table):
// title, the six buttons, and the CU lamp's caption.
constexpr int kMenuWords = 8;
const char* const kMenu[kLanguages][kMenuWords] = {
    {"Projects", "2D Project", "3D Grid Project", "Plavik Project", "Positioning", "Work With Files", "Shut Down", "Control Unit"},
    {"Projets", "Projet 2D", "Projet grille 3D", "Projet Plavik", "Positionnement", "Fichiers", "Éteindre", "Unité de contrôle"},
    {"Progetti", "Progetto 2D", "Progetto griglia 3D", "Progetto Plavik", "Posizionamento", "Gestione file", "Spegni", "Unità di controllo"},
    {"Proyectos", "Proyecto 2D", "Proyecto malla 3D", "Proyecto Plavik", "Posicionamiento", "Archivos", "Apagar", "Unidad de control"},
    {"Projekte", "2D-Projekt", "3D-Rasterprojekt", "Plavik-Projekt", "Positionierung", "Dateien", "Ausschalten", "Steuereinheit"},
    {"Projekt", "2D-projekt", "3D-rutnätsprojekt", "Plavik-projekt", "Positionering", "Filer", "Stäng av", "Styrenhet"},
    {"Prosjekter", "2D-prosjekt", "3D-rutenettprosjekt", "Plavik-prosjekt", "Posisjonering", "Filer", "Slå av", "Styreenhet"},
    {"Проекты", "2D проект", "3D проект по сетке", "Проект Plavik", "Позиционирование", "Работа с файлами", "Выключить", "Блок управления"},
    {"项目", "二维项目", "三维网格项目", "Plavik 项目", "定位", "文件管理", "关机", "控制单元"},
    {"Projetos", "Projeto 2D", "Projeto grade 3D", "Projeto Plavik", "Posicionamento", "Arquivos", "Desligar", "Unidade de controle"},
    {"Proiecte", "Proiect 2D", "Proiect grila 3D", "Proiect Plavik", "Pozitionare", "Fisiere", "Oprire", "Unitate de control"},
};

} // namespace

const char* main_menu_word(int lang, int i)
{
    static char encoded[kLanguages][kMenuWords][64];
    static bool done = false;
    if (!done) {
        for (int l = 0; l < kLanguages; l++)
            for (int k = 0; k < kMenuWords; k++)
                encode_for_language(l, kMenu[l][k], encoded[l][k], sizeof encoded[l][k]);
        done = true;
    }
    if (lang < 0 || lang >= kLanguages)
        lang = 0;
    return encoded[lang][i];
}

void rows_main_menu(CMS& t)
{
    using namespace menu;
    const int row = 34;
    const int l = lngs.lang;
    // Language text in Chinese is drawn with its own font; the others in the bold face.
    const int ft = l == kLangChinese ? 2 : l == kLangRussian ? 1 : 2;
    auto* title = new CSDLText(-1, 84, main_menu_word(l, 0), 40, 0, false, true, ft);
    title->SetTextColor(255, 255, 153);
    t.put(row, kTitle, title);
    const int slots[6] = {k2D, kGrid, kPlavik, kPositioning, kFiles, kShutDown};
    int y = 150;
    for (int i = 0; i < 6; i++) {
        const char* kind = slots[i] == kShutDown ? "8" : "";
        t.put(row, slots[i], new CButton(kind, -1, y, "", 0, 0, main_menu_word(l, i + 1), -1, -1, 28, ft));
        y += 92;
    }
    // CU state: the plug lamp with its caption, top left.
    t.put(row, kCuState, new ON_OFF_Indicator(24, 14, 72, 40));
    t.put(row, kCuLabel, new CSDLText(100, 42, main_menu_word(l, 7), 20, 0, false, false, 1));
    // The link the CU is reached on (parameter store flag), bottom left.
    t.put(row, kLinkFlag, new CSDLText(16, 752, "Link: Ethernet", 18, 0, true, false, 11));
    auto* version = new CSDLText(-2, 752, t.prg_title, 18, 0, false, false, 11);
    version->SetTextColor(200, 200, 200);
    t.put(row, kVersion, version);
}
