; The installer's own texts in the languages of the program's interface; the pages that MUI brings
; translate themselves. Setup shows the language of the user's Windows, English where it has none.
; Saved as UTF-8 with its byte-order mark (makensis reads it so).

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Spanish"
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_LANGUAGE "Portuguese"
!insertmacro MUI_LANGUAGE "Dutch"
!insertmacro MUI_LANGUAGE "Polish"
!insertmacro MUI_LANGUAGE "Swedish"
!insertmacro MUI_LANGUAGE "Russian"

!macro PV_TEXTS LANG WELCOME_TITLE WELCOME RUN_NOW CLOSING DIALOG_OPEN DIALOG_ABORT NOT_ENDED NOT_ENDED_ABORT KEPT OPTIONS_TITLE OPTIONS_SUB START_MENU DESKTOP WITH_WINDOWS SAME_CHOICE KEEP_DATA
  LangString PV_WELCOME_TITLE ${LANG_${LANG}} "${WELCOME_TITLE}"
  LangString PV_WELCOME_TEXT ${LANG_${LANG}} "${WELCOME}"
  LangString PV_RUN_NOW ${LANG_${LANG}} "${RUN_NOW}"
  LangString PV_CLOSING ${LANG_${LANG}} "${CLOSING}"
  LangString PV_DIALOG_OPEN ${LANG_${LANG}} "${DIALOG_OPEN}"
  LangString PV_DIALOG_ABORT ${LANG_${LANG}} "${DIALOG_ABORT}"
  LangString PV_NOT_ENDED ${LANG_${LANG}} "${NOT_ENDED}"
  LangString PV_NOT_ENDED_ABORT ${LANG_${LANG}} "${NOT_ENDED_ABORT}"
  LangString PV_KEPT ${LANG_${LANG}} "${KEPT}"
  LangString PV_OPTIONS_TITLE ${LANG_${LANG}} "${OPTIONS_TITLE}"
  LangString PV_OPTIONS_SUBTITLE ${LANG_${LANG}} "${OPTIONS_SUB}"
  LangString PV_START_MENU ${LANG_${LANG}} "${START_MENU}"
  LangString PV_DESKTOP ${LANG_${LANG}} "${DESKTOP}"
  LangString PV_WITH_WINDOWS ${LANG_${LANG}} "${WITH_WINDOWS}"
  LangString PV_SAME_CHOICE ${LANG_${LANG}} "${SAME_CHOICE}"
  LangString PV_KEEP_DATA ${LANG_${LANG}} "${KEEP_DATA}"
!macroend

!insertmacro PV_TEXTS ENGLISH \
  "Welcome to the ${PV_NAME} ${PV_VERSION} Setup" \
  "Setup installs ${PV_NAME}, the typing assistant that offers words, phrases and shorthands while you type, for your user account only: no administrator rights are needed.$\r$\n$\r$\nAn installed copy is updated in place. Setup closes a running ${PV_NAME} first and keeps your settings, your dictionaries and the words ${PV_NAME} has learnt.$\r$\n$\r$\nClick Next to continue." \
  "Start ${PV_NAME} now" \
  "Closing the running ${PV_NAME}..." \
  "${PV_NAME} has a dialog open. Close it (your changes there are not saved otherwise), then choose Retry." \
  "${PV_NAME} is still running with a dialog open: nothing was changed." \
  "${PV_NAME} did not end. Exit it from its tray icon, then choose Retry." \
  "${PV_NAME} did not end: nothing was changed." \
  "Kept, as you changed it:" \
  "Options" \
  "Choose where ${PV_NAME} appears and whether it starts with Windows." \
  "Create a &Start menu shortcut" \
  "Create a &desktop shortcut" \
  "Start ${PV_NAME} &with Windows" \
  "The same choice as $\"Start ${PV_NAME} with Windows$\" on the General page of ${PV_NAME}'s Options: you can change it there later." \
  "Keep your dictionaries, learnt words and settings in $INSTDIR for a later installation?$\r$\n$\r$\nChoose No to remove them too."

!insertmacro PV_TEXTS GERMAN \
  "Willkommen beim Setup von ${PV_NAME} ${PV_VERSION}" \
  "Setup installiert ${PV_NAME}, den Schreibhelfer, der beim Tippen Wörter, Sätze und Kürzel vorschlägt, nur für Ihr Benutzerkonto: Administratorrechte sind nicht nötig.$\r$\n$\r$\nEine installierte Version wird an Ort und Stelle aktualisiert. Setup beendet zuerst ein laufendes ${PV_NAME} und behält Ihre Einstellungen, Ihre Wörterbücher und die Wörter, die ${PV_NAME} gelernt hat.$\r$\n$\r$\nKlicken Sie auf Weiter, um fortzufahren." \
  "${PV_NAME} jetzt starten" \
  "Das laufende ${PV_NAME} wird beendet..." \
  "In ${PV_NAME} ist ein Dialog geöffnet. Schließen Sie ihn (Ihre Änderungen darin werden sonst nicht gespeichert) und wählen Sie dann Wiederholen." \
  "${PV_NAME} läuft noch mit einem offenen Dialog: Es wurde nichts geändert." \
  "${PV_NAME} wurde nicht beendet. Beenden Sie es über sein Symbol im Infobereich und wählen Sie dann Wiederholen." \
  "${PV_NAME} wurde nicht beendet: Es wurde nichts geändert." \
  "Behalten, da von Ihnen geändert:" \
  "Optionen" \
  "Wählen Sie, wo ${PV_NAME} erscheint und ob es mit Windows startet." \
  "Verknüpfung im &Startmenü anlegen" \
  "Verknüpfung auf dem &Desktop anlegen" \
  "${PV_NAME} mit &Windows starten" \
  "Dieselbe Wahl wie „Pennivox mit Windows starten“ auf der Seite „Allgemein“ der Optionen von ${PV_NAME}: Sie können sie dort später ändern." \
  "Ihre Wörterbücher, gelernten Wörter und Einstellungen in $INSTDIR für eine spätere Installation behalten?$\r$\n$\r$\nWählen Sie Nein, um auch sie zu entfernen."

!insertmacro PV_TEXTS FRENCH \
  "Bienvenue dans l'installation de ${PV_NAME} ${PV_VERSION}" \
  "L'installation met en place ${PV_NAME}, l'assistant de frappe qui propose mots, phrases et abréviations pendant que vous tapez, pour votre seul compte : aucun droit d'administrateur n'est nécessaire.$\r$\n$\r$\nUne copie déjà installée est mise à jour sur place. L'installation ferme d'abord ${PV_NAME} s'il est lancé et conserve vos réglages, vos dictionnaires et les mots que ${PV_NAME} a appris.$\r$\n$\r$\nCliquez sur Suivant pour continuer." \
  "Lancer ${PV_NAME} maintenant" \
  "Fermeture de ${PV_NAME}..." \
  "${PV_NAME} a une boîte de dialogue ouverte. Fermez-la (sinon vos modifications n'y sont pas enregistrées), puis choisissez Réessayer." \
  "${PV_NAME} est toujours lancé avec une boîte de dialogue ouverte : rien n'a été modifié." \
  "${PV_NAME} ne s'est pas fermé. Quittez-le depuis son icône de la zone de notification, puis choisissez Réessayer." \
  "${PV_NAME} ne s'est pas fermé : rien n'a été modifié." \
  "Conservé, car vous l'avez modifié :" \
  "Options" \
  "Choisissez où ${PV_NAME} apparaît et s'il démarre avec Windows." \
  "Créer un raccourci dans le menu &Démarrer" \
  "Créer un raccourci sur le &bureau" \
  "Lancer ${PV_NAME} avec &Windows" \
  "Le même choix que $\"Lancer Pennivox avec Windows$\" dans la page Général des options de ${PV_NAME} : vous pourrez le changer là plus tard." \
  "Garder vos dictionnaires, mots appris et réglages dans $INSTDIR pour une installation ultérieure ?$\r$\n$\r$\nChoisissez Non pour les supprimer aussi."

!insertmacro PV_TEXTS SPANISH \
  "Bienvenido a la instalación de ${PV_NAME} ${PV_VERSION}" \
  "La instalación pone ${PV_NAME}, el asistente de escritura que sugiere palabras, frases y abreviaturas mientras escribe, solo para su cuenta de usuario: no hacen falta permisos de administrador.$\r$\n$\r$\nUna copia ya instalada se actualiza en su sitio. La instalación cierra primero ${PV_NAME} si está en ejecución y conserva sus ajustes, sus diccionarios y las palabras que ${PV_NAME} ha aprendido.$\r$\n$\r$\nHaga clic en Siguiente para continuar." \
  "Iniciar ${PV_NAME} ahora" \
  "Cerrando ${PV_NAME}..." \
  "${PV_NAME} tiene un cuadro de diálogo abierto. Ciérrelo (si no, sus cambios en él no se guardan) y elija Reintentar." \
  "${PV_NAME} sigue en ejecución con un cuadro de diálogo abierto: no se ha cambiado nada." \
  "${PV_NAME} no se ha cerrado. Ciérrelo desde su icono del área de notificación y elija Reintentar." \
  "${PV_NAME} no se ha cerrado: no se ha cambiado nada." \
  "Conservado porque lo ha cambiado:" \
  "Opciones" \
  "Elija dónde aparece ${PV_NAME} y si se inicia con Windows." \
  "Crear un acceso directo en el menú &Inicio" \
  "Crear un acceso directo en el &escritorio" \
  "Iniciar ${PV_NAME} con &Windows" \
  "La misma opción que $\"Iniciar Pennivox con Windows$\" en la página General de las opciones de ${PV_NAME}: puede cambiarla allí más adelante." \
  "¿Conservar sus diccionarios, palabras aprendidas y ajustes en $INSTDIR para una instalación posterior?$\r$\n$\r$\nElija No para eliminarlos también."

!insertmacro PV_TEXTS ITALIAN \
  "Benvenuto nell'installazione di ${PV_NAME} ${PV_VERSION}" \
  "L'installazione aggiunge ${PV_NAME}, l'assistente di scrittura che propone parole, frasi e abbreviazioni mentre scrivi, solo per il tuo account: non servono diritti di amministratore.$\r$\n$\r$\nUna copia già installata viene aggiornata sul posto. L'installazione chiude prima ${PV_NAME} se è in esecuzione e conserva le impostazioni, i dizionari e le parole che ${PV_NAME} ha appreso.$\r$\n$\r$\nFai clic su Avanti per continuare." \
  "Avvia ${PV_NAME} ora" \
  "Chiusura di ${PV_NAME} in corso..." \
  "${PV_NAME} ha una finestra di dialogo aperta. Chiudila (altrimenti le modifiche lì non vengono salvate), poi scegli Riprova." \
  "${PV_NAME} è ancora in esecuzione con una finestra di dialogo aperta: non è stato cambiato nulla." \
  "${PV_NAME} non si è chiuso. Chiudilo dalla sua icona nell'area di notifica, poi scegli Riprova." \
  "${PV_NAME} non si è chiuso: non è stato cambiato nulla." \
  "Conservato perché l'hai modificato:" \
  "Opzioni" \
  "Scegli dove appare ${PV_NAME} e se si avvia con Windows." \
  "Crea un collegamento nel menu &Start" \
  "Crea un collegamento sul &desktop" \
  "Avvia ${PV_NAME} con &Windows" \
  "La stessa scelta di $\"Avvia Pennivox con Windows$\" nella pagina Generale delle opzioni di ${PV_NAME}: potrai cambiarla lì in seguito." \
  "Conservare dizionari, parole apprese e impostazioni in $INSTDIR per un'installazione futura?$\r$\n$\r$\nScegli No per rimuovere anche questi."

!insertmacro PV_TEXTS PORTUGUESE \
  "Bem-vindo à instalação do ${PV_NAME} ${PV_VERSION}" \
  "A instalação coloca o ${PV_NAME}, o assistente de digitação que sugere palavras, frases e abreviações enquanto você digita, só para a sua conta: não são necessários direitos de administrador.$\r$\n$\r$\nUma cópia já instalada é atualizada no lugar. A instalação fecha antes o ${PV_NAME} em execução e mantém suas configurações, seus dicionários e as palavras que o ${PV_NAME} aprendeu.$\r$\n$\r$\nClique em Seguinte para continuar." \
  "Iniciar o ${PV_NAME} agora" \
  "Fechando o ${PV_NAME}..." \
  "O ${PV_NAME} tem uma janela de diálogo aberta. Feche-a (senão as alterações nela não são salvas) e escolha Repetir." \
  "O ${PV_NAME} continua em execução com uma janela de diálogo aberta: nada foi alterado." \
  "O ${PV_NAME} não terminou. Saia dele pelo ícone na área de notificação e escolha Repetir." \
  "O ${PV_NAME} não terminou: nada foi alterado." \
  "Mantido porque você o alterou:" \
  "Opções" \
  "Escolha onde o ${PV_NAME} aparece e se ele inicia com o Windows." \
  "Criar um atalho no menu &Iniciar" \
  "Criar um atalho na área de &trabalho" \
  "Iniciar o ${PV_NAME} com o &Windows" \
  "A mesma escolha que $\"Iniciar o Pennivox com o Windows$\" na página Geral das opções do ${PV_NAME}: você pode alterá-la lá depois." \
  "Manter seus dicionários, palavras aprendidas e configurações em $INSTDIR para uma instalação futura?$\r$\n$\r$\nEscolha Não para removê-los também."

!insertmacro PV_TEXTS DUTCH \
  "Welkom bij de installatie van ${PV_NAME} ${PV_VERSION}" \
  "Setup installeert ${PV_NAME}, de typhulp die tijdens het typen woorden, zinnen en afkortingen voorstelt, alleen voor uw gebruikersaccount: beheerdersrechten zijn niet nodig.$\r$\n$\r$\nEen geïnstalleerde versie wordt ter plekke bijgewerkt. Setup sluit eerst een actieve ${PV_NAME} en bewaart uw instellingen, uw woordenboeken en de woorden die ${PV_NAME} heeft geleerd.$\r$\n$\r$\nKlik op Volgende om door te gaan." \
  "${PV_NAME} nu starten" \
  "${PV_NAME} wordt afgesloten..." \
  "In ${PV_NAME} is een venster geopend. Sluit het (anders worden uw wijzigingen daarin niet opgeslagen) en kies dan Opnieuw." \
  "${PV_NAME} draait nog met een geopend venster: er is niets gewijzigd." \
  "${PV_NAME} is niet afgesloten. Sluit het af via het pictogram in het systeemvak en kies dan Opnieuw." \
  "${PV_NAME} is niet afgesloten: er is niets gewijzigd." \
  "Bewaard, omdat u het hebt gewijzigd:" \
  "Opties" \
  "Kies waar ${PV_NAME} verschijnt en of het met Windows start." \
  "Een snelkoppeling in het menu &Start maken" \
  "Een snelkoppeling op het &bureaublad maken" \
  "${PV_NAME} met &Windows starten" \
  "Dezelfde keuze als $\"Pennivox met Windows starten$\" op de pagina Algemeen van de opties van ${PV_NAME}: u kunt die daar later wijzigen." \
  "Uw woordenboeken, geleerde woorden en instellingen in $INSTDIR bewaren voor een latere installatie?$\r$\n$\r$\nKies Nee om ook die te verwijderen."

!insertmacro PV_TEXTS POLISH \
  "Witamy w instalatorze programu ${PV_NAME} ${PV_VERSION}" \
  "Instalator instaluje ${PV_NAME}, pomocnika pisania, który podczas pisania podpowiada słowa, frazy i skróty, tylko dla Twojego konta: uprawnienia administratora nie są potrzebne.$\r$\n$\r$\nZainstalowana kopia jest aktualizowana na miejscu. Instalator najpierw zamyka uruchomiony ${PV_NAME} i zachowuje Twoje ustawienia, słowniki oraz słowa, których ${PV_NAME} się nauczył.$\r$\n$\r$\nKliknij Dalej, aby kontynuować." \
  "Uruchom ${PV_NAME} teraz" \
  "Zamykanie programu ${PV_NAME}..." \
  "W programie ${PV_NAME} jest otwarte okno dialogowe. Zamknij je (inaczej zmiany w nim nie zostaną zapisane), a potem wybierz Ponów." \
  "${PV_NAME} nadal działa z otwartym oknem dialogowym: nic nie zmieniono." \
  "${PV_NAME} się nie zakończył. Zakończ go z ikony w obszarze powiadomień, a potem wybierz Ponów." \
  "${PV_NAME} się nie zakończył: nic nie zmieniono." \
  "Zachowano, bo został przez Ciebie zmieniony:" \
  "Opcje" \
  "Wybierz, gdzie pojawia się ${PV_NAME} i czy uruchamia się z systemem Windows." \
  "Utwórz skrót w menu &Start" \
  "Utwórz skrót na &pulpicie" \
  "Uruchamiaj ${PV_NAME} razem z &Windows" \
  "Ten sam wybór co $\"Uruchamiaj Pennivox razem z Windows$\" na stronie Ogólne w opcjach programu ${PV_NAME}: możesz go tam później zmienić." \
  "Zachować słowniki, nauczone słowa i ustawienia w $INSTDIR na potrzeby przyszłej instalacji?$\r$\n$\r$\nWybierz Nie, aby je również usunąć."

!insertmacro PV_TEXTS SWEDISH \
  "Välkommen till installationen av ${PV_NAME} ${PV_VERSION}" \
  "Installationen lägger in ${PV_NAME}, skrivhjälpen som föreslår ord, fraser och förkortningar medan du skriver, bara för ditt användarkonto: inga administratörsrättigheter behövs.$\r$\n$\r$\nEn installerad kopia uppdateras på plats. Installationen stänger först ett ${PV_NAME} som körs och behåller dina inställningar, dina ordböcker och orden som ${PV_NAME} har lärt sig.$\r$\n$\r$\nKlicka på Nästa för att fortsätta." \
  "Starta ${PV_NAME} nu" \
  "Stänger ${PV_NAME}..." \
  "${PV_NAME} har en dialogruta öppen. Stäng den (annars sparas inte dina ändringar där) och välj sedan Försök igen." \
  "${PV_NAME} körs fortfarande med en dialogruta öppen: inget ändrades." \
  "${PV_NAME} avslutades inte. Avsluta det från dess ikon i meddelandefältet och välj sedan Försök igen." \
  "${PV_NAME} avslutades inte: inget ändrades." \
  "Behölls eftersom du har ändrat den:" \
  "Alternativ" \
  "Välj var ${PV_NAME} visas och om det startar med Windows." \
  "Skapa en genväg på &Start-menyn" \
  "Skapa en genväg på &skrivbordet" \
  "Starta ${PV_NAME} med &Windows" \
  "Samma val som $\"Starta Pennivox med Windows$\" på sidan Allmänt under ${PV_NAME}s alternativ: du kan ändra det där senare." \
  "Behålla dina ordböcker, inlärda ord och inställningar i $INSTDIR till en senare installation?$\r$\n$\r$\nVälj Nej för att ta bort även dem."

!insertmacro PV_TEXTS RUSSIAN \
  "Вас приветствует установка ${PV_NAME} ${PV_VERSION}" \
  "Программа установит ${PV_NAME} — помощника набора, который предлагает слова, фразы и сокращения прямо во время ввода, — только для вашей учётной записи: права администратора не нужны.$\r$\n$\r$\nУже установленная копия обновляется на месте. Сначала установка закрывает запущенный ${PV_NAME} и сохраняет ваши параметры, словари и слова, которые ${PV_NAME} изучил.$\r$\n$\r$\nНажмите «Далее», чтобы продолжить." \
  "Запустить ${PV_NAME} сейчас" \
  "Закрытие ${PV_NAME}..." \
  "В ${PV_NAME} открыто диалоговое окно. Закройте его (иначе изменения в нём не сохранятся), затем выберите «Повтор»." \
  "${PV_NAME} всё ещё работает с открытым диалоговым окном: ничего не изменено." \
  "${PV_NAME} не завершился. Закройте его через значок в области уведомлений, затем выберите «Повтор»." \
  "${PV_NAME} не завершился: ничего не изменено." \
  "Сохранено, так как вы его изменили:" \
  "Параметры" \
  "Выберите, где появится ${PV_NAME} и запускать ли его вместе с Windows." \
  "Создать ярлык в меню «&Пуск»" \
  "Создать ярлык на &рабочем столе" \
  "Запускать ${PV_NAME} вместе с &Windows" \
  "То же, что «Запускать Pennivox вместе с Windows» на странице «Общие» в параметрах ${PV_NAME}: позже это можно изменить там." \
  "Сохранить ваши словари, изученные слова и параметры в $INSTDIR для будущей установки?$\r$\n$\r$\nВыберите «Нет», чтобы удалить и их."
