object MainForm: TMainForm
  Left = 192
  Top = 110
  Caption = 'TinyPad'
  ClientHeight = 480
  ClientWidth = 640
  Menu = MainMenu1
  object MainMenu1: TMainMenu
    object miFile: TMenuItem
      Caption = '&Datei'
      object miOpen: TMenuItem
        Caption = #214'&ffnen...'
        Hint = 'Eine Textdatei '#246'ffnen'
        ShortCut = 16463
      end
      object miSave: TMenuItem
        Caption = '&Speichern'
        Hint = 'Die aktuelle Datei speichern'
      end
      object TMenuItem
        Caption = '-'
      end
      object miExit: TMenuItem
        Caption = '&Beenden'
      end
    end
  end
  inline DocFrame: TDocFrame
    Left = 0
    Top = 0
    inherited lblTitle: TLabel
      Caption = 'Dokument'
    end
    inherited StatusBar: TStatusBar
      SimpleText = 'Bereit'
    end
  end
  object lvRecent: TListView
    Columns = <
      item
        Caption = 'Name'
        Width = 200
      end
      item
        Caption = 'Gr'#246#223'e'
        Width = 80
      end
      item
        Caption = 'Ge'#228'ndert'
        Width = 120
      end>
    Hint = 'Zuletzt ge'#246'ffnet'
    ShowHint = True
    ViewStyle = vsReport
  end
  object cbEncoding: TComboBox
    Style = csDropDownList
    Items.Strings = (
      'ANSI'
      'UTF-8'
      'Unicode (UTF-16)')
    Font.Charset = DEFAULT_CHARSET
  end
end
