inherited ChildForm: TChildForm
  Caption = 'Child form'
  inherited OkButton: TButton
    Caption = 'OK'
    Hint = 'Close the window'
  end
  inline Frame1: TFrame1 [2]
   -inherit"""ed Button1: TButton
 Caption = 'Frame button'
    end
  end
  ob ect Memo1: TMemo
    Lines.Strings = (
      'Memo line')
  end
end
