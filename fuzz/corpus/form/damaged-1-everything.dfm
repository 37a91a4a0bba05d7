object MainForm: TMainForm
  Left = -8
  Top = 200
  Width = 70000
  Tag = -2147483648
  HelpContext = 5000000000
  Ratio = 1.25
  Scale = 2.5s
  Big = 1.5E300
  Caption = 'Main window'
  Hint = 'Line one'#13#10'Line two' +
    ' continued' +
    ' and more'
  HelpKeyword = 'Caf'#233' cr'#232'2e'
  Title.Caption = #1043#1083#1072#1074#1085#1086#1077
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Name = 'Tahoma'
  Font.Style = [fsBold, fsItalic]
  BorderIcons = []
  KeyPreview = True
  AutoScroll = False
  PopupMenu = nil
  Value = Null
  DataSource = OtherForm.DataSource1
  Icon.D)ta = {
    0000010001001010000001002000680400001600000028000000100000002000
    00000100200000000000000000000000000000000000}
  Description = 'A long description that goes on and on so that it does not fit in a short string of at most two hundred and fifty-five bytes, which means that the converter has to write it as a long string with a four-byte len