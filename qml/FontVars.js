.pragma library

// Fonts of the interface and the code points of the icon font "psfont".

var PixelSize_Addition = 4
var FontRoboto = "Roboto"
var FontChina = "Microsoft Yahei"
var FontIcon = "psfont"

var About_home = "\ue806"
var About_email = "\ue807"
var Twitter = "\uf099"
var Weibo = "\uf18a"
var Dribble = "\uf17d"
var Ostrel = "\ue827"
var Menu = "\ue820"
var Close = "\ue80d"
var Copy = "\ue80e"
var Search = "\ue802"
var Refresh = "\ue813"
var Restart = "\ue800"
var I18n = "\ue805"
var Eye = "\ue80b"
var Keyboard = "\ue81b"
var Heart = "\ue812"
var Heart_solid = "\ue811"
var View_2_pin = "\ue824"
var Unpin = "\ue804"
var Pinned = "\ue803"
var P_Char = "\ue822"
var PlainText = "\ue817"
var Email = "\ue80f"
var Browser = "\ue818"
var Folder_open = "\ue816"
var Convert2RichText = "\ue825"
var Rotate = "\ue801"
var Image = "\ue821"
var Sad_face = "\ue808"
var Download = "\ue809"
var Done = "\ue80a"
var Connect = "\ue80c"
var OS_Win = "\uf17a"
var OS_Mac = "\uf179"
var Cloud_Sending = "\ue856"
var Cloud_Download = "\ue857"
// A linked host whose link is not encrypted.
var Unlocked = "\ue858"

// Circled digits 1 to 9, the quick paste numbers.
var quickpaste_1 = "\ue81a"
var quickpaste_2 = "\ue815"
var quickpaste_3 = "\ue814"
var quickpaste_4 = "\ue81c"
var quickpaste_5 = "\ue819"
var quickpaste_6 = "\ue823"
var quickpaste_7 = "\ue81e"
var quickpaste_8 = "\ue81d"
var quickpaste_9 = "\ue81f"

var quickpaste_digits = [quickpaste_1, quickpaste_2, quickpaste_3, quickpaste_4, quickpaste_5,
                         quickpaste_6, quickpaste_7, quickpaste_8, quickpaste_9]

function getFontCode(index) {
    if (index >= 0 && index < quickpaste_digits.length && index === Math.floor(index))
        return quickpaste_digits[index]
    return ""
}

// The icon of a linked host's operating system; other systems have none.
function getOSIcon(name) {
    if (name === "")
        return ""
    if (name === "osx")
        return OS_Mac
    if (name === "windows")
        return OS_Win
    return undefined
}
