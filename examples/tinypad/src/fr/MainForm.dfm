object MainForm: TMainForm
  Left = 192
  Top = 110
  Caption = 'TinyPad'
  ClientHeight = 480
  ClientWidth = 640
  Menu = MainMenu1
  object MainMenu1: TMainMenu
    object miFile: TMenuItem
      Caption = '&Fichier'
      object miOpen: TMenuItem
        Caption = '&Ouvrir...'
        Hint = 'Ouvrir un fichier texte'
        ShortCut = 16463
      end
      object miSave: TMenuItem
        Caption = '&Enregistrer'
        Hint = 'Enregistrer le fichier courant'
      end
      object TMenuItem
        Caption = '-'
      end
      object miExit: TMenuItem
        Caption = '&Quitter'
      end
    end
  end
  inline DocFrame: TDocFrame
    Left = 0
    Top = 0
    inherited lblTitle: TLabel
      Caption = 'Document'
    end
    inherited StatusBar: TStatusBar
      SimpleText = 'Pr'#234't'
    end
  end
  object lvRecent: TListView
    Columns = <
      item
        Caption = 'Nom'
        Width = 200
      end
      item
        Caption = 'Taille'
        Width = 80
      end
      item
        Caption = 'Modifi'#233
        Width = 120
      end>
    Hint = 'Fichiers r'#233'cents'
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
