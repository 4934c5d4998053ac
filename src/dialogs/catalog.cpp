// To add a dialog: write its builder in a file of its own (or of its
// family) and give it a row here. Rows stay in alphabetical order, which is
// the order of the --help text.
#include "dialogs/catalog.h"

#define DIALOG_BUILDER(name) DialogResult name(const DialogRequest &request)

DIALOG_BUILDER(dialog_buildlist);
DIALOG_BUILDER(dialog_calendar);
DIALOG_BUILDER(dialog_checklist);
DIALOG_BUILDER(dialog_datebox);
DIALOG_BUILDER(dialog_dselect);
DIALOG_BUILDER(dialog_editbox);
DIALOG_BUILDER(dialog_form);
DIALOG_BUILDER(dialog_fselect);
DIALOG_BUILDER(dialog_gauge);
DIALOG_BUILDER(dialog_infobox);
DIALOG_BUILDER(dialog_inputbox);
DIALOG_BUILDER(dialog_inputmenu);
DIALOG_BUILDER(dialog_menu);
DIALOG_BUILDER(dialog_mixedform);
DIALOG_BUILDER(dialog_mixedgauge);
DIALOG_BUILDER(dialog_msgbox);
DIALOG_BUILDER(dialog_passwordbox);
DIALOG_BUILDER(dialog_passwordform);
DIALOG_BUILDER(dialog_pause);
DIALOG_BUILDER(dialog_prgbox);
DIALOG_BUILDER(dialog_programbox);
DIALOG_BUILDER(dialog_progressbox);
DIALOG_BUILDER(dialog_radiolist);
DIALOG_BUILDER(dialog_rangebox);
DIALOG_BUILDER(dialog_tailbox);
DIALOG_BUILDER(dialog_tailboxbg);
DIALOG_BUILDER(dialog_textbox);
DIALOG_BUILDER(dialog_timebox);
DIALOG_BUILDER(dialog_treeview);
DIALOG_BUILDER(dialog_yesno);

#undef DIALOG_BUILDER

namespace {

const DialogEntry dialogs[] = {
    {"--buildlist", " --buildlist <text> <rows> <cols> <listrows> [<tag> <item> on|off] ...",
     dialog_buildlist},
    {"--calendar", " --calendar <text> <rows> <cols> [<dd> <mm> <yy>]", dialog_calendar},
    {"--checklist", " --checklist <text> <rows> <cols> <menurows> [<name> <desc> on|off] ...",
     dialog_checklist},
    {"--datebox", " --datebox <text> <rows> <cols> [<dd> <mm> <yy>]", dialog_datebox},
    {"--dselect", " --dselect <path> <rows> <cols>", dialog_dselect, true},
    {"--editbox", " --editbox <file> <rows> <cols>", dialog_editbox, true},
    {"--form",
     " --form <text> <rows> <cols> <formrows> [<label> <ylabel> <xlabel> <init> <yfield> <xfield> "
     "<fieldlen> <maxletters>] ...",
     dialog_form},
    {"--fselect", " --fselect <path> <rows> <cols>", dialog_fselect, true},
    {"--gauge", " --gauge <text> <rows> <cols> [<perc>]", dialog_gauge},
    {"--infobox", " --infobox <text> <rows> <cols>", dialog_infobox},
    {"--inputbox", " --inputbox <text> <rows> <cols> [<init>]", dialog_inputbox},
    {"--inputmenu", " --inputmenu <text> <rows> <cols> <menurows> [<tag> <item>] ...",
     dialog_inputmenu},
    {"--menu", " --menu <text> <rows> <cols> <menurows> [<name> <desc>] ...", dialog_menu},
    {"--mixedform",
     " --mixedform <text> <rows> <cols> <formrows> [<label> <ylabel> <xlabel> <init> <yfield> "
     "<xfield> <fieldlen> <maxletters> 0|1|2] ...",
     dialog_mixedform},
    {"--mixedgauge", " --mixedgauge <text> <rows> <cols> <mainperc> [<minilabel> <miniperc>] ...",
     dialog_mixedgauge},
    {"--msgbox", " --msgbox <text> <rows> <cols>", dialog_msgbox},
    {"--passwordbox", " --passwordbox <text> <rows> <cols> [<init>]", dialog_passwordbox},
    {"--passwordform",
     " --passwordform <text> <rows> <cols> <formrows> [<label> <ylabel> <xlabel> <init> <yfield> "
     "<xfield> <fieldlen> <maxletters>] ...",
     dialog_passwordform},
    {"--pause", " --pause <text> <rows> <cols> <secs>", dialog_pause},
    {"--prgbox", " --prgbox [<text>] <command> <rows> <cols>", dialog_prgbox, false, true, 1},
    {"--programbox", " --programbox [<text>] <rows> <cols>", dialog_programbox, false, true},
    {"--progressbox", " --progressbox [<text>] <rows> <cols>", dialog_progressbox, false, true},
    {"--radiolist", " --radiolist <text> <rows> <cols> <menurows> [<name> <desc> on|off] ...",
     dialog_radiolist},
    {"--rangebox", " --rangebox <text> <rows> <cols> <min> <max> [<init>]", dialog_rangebox},
    {"--tailbox", " --tailbox <file> <rows> <cols>", dialog_tailbox, true},
    {"--tailboxbg", " --tailboxbg <file> <rows> <cols>", dialog_tailboxbg, true},
    {"--textbox", " --textbox <file> <rows> <cols>", dialog_textbox, true},
    {"--timebox", " --timebox <text> <rows> <cols> [<hh> <mm> <ss>]", dialog_timebox},
    {"--treeview", " --treeview <text> <rows> <cols> <menurows> [<depth> <name> <desc> on|off] ...",
     dialog_treeview},
    {"--yesno", " --yesno <text> <rows> <cols>", dialog_yesno},
};

} // namespace

std::span<const DialogEntry> dialog_catalog() {
    return dialogs;
}
